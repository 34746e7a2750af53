#include "texts/failure_text.h"

namespace zorvik::failure_text {

namespace {

std::string_view whyOr(ErrorCode code, std::string_view why) {
    return why.empty() ? reason(code) : why;
}

Failure sentence(ErrorCode code, std::string_view subject, std::string_view why) {
    return {code, filled(texts::kSubjectAndReason, {subject, whyOr(code, why)})};
}

}  // namespace

std::string filled(std::string_view pattern, std::initializer_list<std::string_view> parts) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const bool isPlaceholder = pattern[at] == '{' && at + 2 < pattern.size() &&
                                   pattern[at + 2] == '}' && pattern[at + 1] >= '1' &&
                                   static_cast<std::size_t>(pattern[at + 1] - '1') < parts.size();
        if (isPlaceholder) {
            out += parts.begin()[pattern[at + 1] - '1'];
            at += 2;
        } else {
            out += pattern[at];
        }
    }
    return out;
}

std::string systemError(unsigned long number) {
    return filled(texts::kSystemError, {std::to_string(number)});
}

std::string pathThroughFile(std::string_view file) {
    return filled(texts::kPathThroughFile, {file});
}

Failure because(ErrorCode code, Detail detail) {
    return {code, std::string(reason(detail))};
}

Failure copyFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why) {
    return sentence(code, filled(texts::kCopyFailed, {source, destination}), why);
}

Failure moveFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why) {
    Failure failure = sentence(code, filled(texts::kMoveFailed, {source, destination}), why);
    failure.message += texts::kBothFoldersUnchanged;
    return failure;
}

Failure moveLeftInBothFolders(ErrorCode code, std::string_view source, std::string_view destination,
                              std::string_view why, std::string_view keptAside) {
    return {code, filled(keptAside.empty() ? texts::kLeftInBothFolders
                                           : texts::kLeftInBothFoldersOlderAside,
                         {source, destination, whyOr(code, why), keptAside})};
}

Failure replaceLeftOlderAside(ErrorCode code, std::string_view destination, std::string_view why,
                              std::string_view keptAside) {
    return {code,
            filled(texts::kReplaceLeftOlderAside, {destination, whyOr(code, why), keptAside})};
}

Failure moveUnconfirmed(std::string_view source, std::string_view destination) {
    Failure failure = sentence(ErrorCode::Io, filled(texts::kMoveFailed, {source, destination}),
                               reason(Detail::StillThereAfterMove));
    failure.message += texts::kCheckBothFolders;
    return failure;
}

Failure deleteFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, filled(texts::kDeleteFailed, {path}), why);
}

Failure folderFailed(ErrorCode code, std::string_view folder, std::string_view why) {
    return sentence(code, filled(texts::kFolderFailed, {folder}), why);
}

Failure playFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, filled(texts::kPlayFailed, {path}), why);
}

Failure settingReadFailed(ErrorCode code, std::string_view valueName, std::string_view why,
                          std::string_view store) {
    return sentence(code,
                    store.empty() ? filled(texts::kSettingReadFailed, {valueName})
                                  : filled(texts::kSettingInFileReadFailed, {valueName, store}),
                    why);
}

Failure settingWriteFailed(ErrorCode code, std::string_view valueName, std::string_view why,
                           std::string_view store) {
    return sentence(code,
                    store.empty() ? filled(texts::kSettingWriteFailed, {valueName})
                                  : filled(texts::kSettingInFileWriteFailed, {valueName, store}),
                    why);
}

Failure settingsUnavailable(ErrorCode code, std::string_view why) {
    return sentence(code, texts::kSettingsUnavailable, why);
}

std::string storeTooLarge(long long largestBytes) {
    return filled(texts::kStoreTooLarge, {std::to_string(largestBytes >> 20)});
}

std::string storeDamaged(std::string_view why) {
    return filled(texts::kStoreDamaged, {why});
}

Failure ringChoiceBusy() {
    return {ErrorCode::Busy, std::string(texts::kRingChoiceBusy)};
}

Failure moveBusy(std::string_view shownPath) {
    return {ErrorCode::Busy, filled(texts::kMoveBusy, {shownPath})};
}

Failure elevationFailed(ErrorCode code, std::string_view folder, std::string_view why) {
    Failure failure = sentence(code, filled(texts::kElevationFailed, {folder}), why);
    failure.message += texts::kNothingChangedAtAll;
    return failure;
}

std::string retryQuestion(const Failure& failure) {
    return failure.message + std::string(texts::kRetryQuestion);
}

Failure fileChoiceFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, filled(texts::kChoiceFailed, {path}), why);
}

}  // namespace zorvik::failure_text
