#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Answers that tests queue for the modal boxes, so that no box waits for a person: every
// platform's message box takes the next one before it would show itself.
namespace zorvik::queued_answers {

void push(std::optional<int> answer);
void clear();
// The next queued answer (itself nullopt for a box that could not be shown), taken, with the
// message it answered kept; nullopt when none is queued.
std::optional<std::optional<int>> take(std::string_view message);
// Every message a queued answer took, in order.
const std::vector<std::string>& answered();

}  // namespace zorvik::queued_answers
