#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

// The Bulgarian sentences with which failures reach the user. Each names what failed (the file,
// folder or value) and why; every platform builds its failures from these.
namespace zorvik::failure_text {

// Why, in a few lower-case words, without a full stop.
std::string_view reason(ErrorCode code);

// `why` replaces the code's generic reason where the caller knows more (which of two files).
Failure copyFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why = {});
// A move is all or nothing, so its failure says that nothing changed.
Failure moveFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why = {});
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

// Why a settings file cannot be read as one (in brackets after "файлът е повреден").
inline constexpr std::string_view kStoreNotAFile = "на мястото на файла има нещо друго, не файл";
std::string storeTooLarge(long long largestBytes);
// The reason of a read or write of a settings file that cannot be read as one.
std::string storeDamaged(std::string_view why);

// Why the Windows registry refuses an apply: another instance of the program held its turn.
inline constexpr std::string_view kWritersBusy =
    "друго копие на програмата записва настройките в момента";

// The question after a failure that is worth another try (the settings held by another
// program): the failure, then whether to try again, and what cancelling leaves.
std::string retryQuestion(const Failure& failure);

// "„text“", with Bulgarian quotation marks.
std::string quoted(std::string_view text);

}  // namespace zorvik::failure_text
