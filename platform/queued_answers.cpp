#include "platform/queued_answers.h"

#include <deque>

namespace zorvik::queued_answers {

namespace {

std::deque<std::optional<int>>& queue() {
    static std::deque<std::optional<int>> answers;
    return answers;
}

std::vector<std::string>& answeredMessages() {
    static std::vector<std::string> messages;
    return messages;
}

}  // namespace

void push(std::optional<int> answer) {
    queue().push_back(answer);
}

void clear() {
    queue().clear();
    answeredMessages().clear();
}

std::optional<std::optional<int>> take(std::string_view message) {
    if (queue().empty()) {
        return std::nullopt;
    }
    const auto answer = queue().front();
    queue().pop_front();
    answeredMessages().emplace_back(message);
    return answer;
}

const std::vector<std::string>& answered() {
    return answeredMessages();
}

}  // namespace zorvik::queued_answers
