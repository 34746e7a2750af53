#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "texts/failure_kinds.h"
#include "texts/texts.h"

// The failures that reach the user, built from the texts of texts/texts.h. Each names what
// failed (the file, folder or value) and why; every platform builds its failures from these.
namespace zorvik::failure_text {

// Why, in a few lower-case words, without a full stop: by code, by Detail or by PlayFault.
using texts::reason;

// An error of the host's that has no better reason, by its number.
std::string systemError(unsigned long number);
// The file in the middle of a path that goes on below it.
std::string pathThroughFile(std::string_view file);
// A step's failure, which carries only its reason: the transaction names the files.
Failure because(ErrorCode code, Detail detail);

// `why` replaces the code's generic reason where the caller knows more (which of two files).
Failure copyFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why = {});
// A move is all or nothing, so its failure says that nothing changed.
Failure moveFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why = {});
// A move whose undo failed in turn: the melody is in both folders, and where an older namesake
// was kept aside (`keptAside` not empty) it is named, so that nothing is lost from sight.
Failure moveLeftInBothFolders(ErrorCode code, std::string_view source, std::string_view destination,
                              std::string_view why, std::string_view keptAside);
// The destination could not be replaced, nor its older content put back from where it was kept.
Failure replaceLeftOlderAside(ErrorCode code, std::string_view destination, std::string_view why,
                              std::string_view keptAside);
// A move the system reported done while the source is still where it was.
Failure moveUnconfirmed(std::string_view source, std::string_view destination);
Failure deleteFailed(ErrorCode code, std::string_view path, std::string_view why = {});
Failure folderFailed(ErrorCode code, std::string_view folder, std::string_view why = {});
Failure playFailed(ErrorCode code, std::string_view path, std::string_view why = {});

// `store` names where the settings are kept, where a user could look for them ("" on Windows,
// whose registry every user knows).
Failure settingReadFailed(ErrorCode code, std::string_view valueName, std::string_view why = {},
                          std::string_view store = {});
Failure settingWriteFailed(ErrorCode code, std::string_view valueName, std::string_view why = {},
                           std::string_view store = {});
Failure settingsUnavailable(ErrorCode code, std::string_view why = {});
Failure fileChoiceFailed(ErrorCode code, std::string_view path, std::string_view why = {});

std::string storeTooLarge(long long largestBytes);
// The reason of a read or write of a settings file that cannot be read as one.
std::string storeDamaged(std::string_view why);

// Another instance is choosing the ring melody: its record and its switch must not interleave
// with this one's.
Failure ringChoiceBusy();
// Another copy of the program is choosing the ring melody or moving a melody.
Failure moveBusy(std::string_view shownPath);

// Administrator's rights for the install folder could not be had (not a user's refusal).
Failure elevationFailed(ErrorCode code, std::string_view folder, std::string_view why = {});

// The question after a failure that is worth another try (the settings held by another
// program): the failure, then whether to try again, and what cancelling leaves.
std::string retryQuestion(const Failure& failure);

// One of the catalogue's texts with its {1}, {2}, ... replaced by `parts`, in that order. Only
// the pattern is read for them, so a name that itself holds "{2}" stays as it is.
std::string filled(std::string_view pattern, std::initializer_list<std::string_view> parts);

}  // namespace zorvik::failure_text
