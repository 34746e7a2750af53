#include "platform/failure_text.h"

namespace zorvik::failure_text {

namespace {

Failure sentence(ErrorCode code, std::string_view subject, std::string_view why) {
    std::string message(subject);
    message += ": ";
    message += why.empty() ? reason(code) : why;
    message += '.';
    return {code, std::move(message)};
}

}  // namespace

std::string quoted(std::string_view text) {
    std::string out = "„";
    out += text;
    out += "“";
    return out;
}

std::string_view reason(ErrorCode code) {
    switch (code) {
        case ErrorCode::NotFound:
            return "файлът не съществува";
        case ErrorCode::FolderNotFound:
            return "папката не съществува";
        case ErrorCode::NotAFolder:
            return "част от пътя е файл, а не папка";
        case ErrorCode::IsFolder:
            return "това е папка, а не файл";
        case ErrorCode::SameFile:
            return "източникът и целта са един и същ файл";
        case ErrorCode::AccessDenied:
            return "достъпът е отказан";
        case ErrorCode::ReadOnly:
            return "файлът е само за четене";
        case ErrorCode::DiskFull:
            return "няма достатъчно свободно място на диска";
        case ErrorCode::TooLarge:
            return "файлът е твърде голям";
        case ErrorCode::InvalidName:
            return "името не е допустимо в Windows";
        case ErrorCode::Ambiguous:
            return "има няколко файла с това име, които се различават само по главни и малки букви";
        case ErrorCode::NoDrive:
            return "няма такова устройство";
        case ErrorCode::Io:
            return "грешка при четене или запис";
        case ErrorCode::Corrupt:
            return "файлът е повреден";
        case ErrorCode::Unsupported:
            return "форматът не се поддържа";
        case ErrorCode::NoDevice:
            return "няма звуково устройство";
        case ErrorCode::NotAvailable:
            return "услугата не е достъпна";
        case ErrorCode::Cancelled:
            return "действието е прекъснато";
        case ErrorCode::Busy:
            return "файлът се използва от друга програма";
        case ErrorCode::NothingMarked:
            return "няма маркирана мелодия";
        case ErrorCode::NothingToDo:
            return "няма какво да се направи";
        case ErrorCode::Other:
            break;
    }
    return "неочаквана грешка";
}

Failure copyFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why) {
    return sentence(
        code, "Файлът " + quoted(source) + " не може да бъде копиран в " + quoted(destination),
        why);
}

Failure moveFailed(ErrorCode code, std::string_view source, std::string_view destination,
                   std::string_view why) {
    Failure failure = sentence(
        code, "Файлът " + quoted(source) + " не може да бъде преместен в " + quoted(destination),
        why);
    failure.message += " Двете папки остават, каквито бяха.";
    return failure;
}

Failure deleteFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, "Файлът " + quoted(path) + " не може да бъде изтрит", why);
}

Failure folderFailed(ErrorCode code, std::string_view folder, std::string_view why) {
    return sentence(code, "Папката " + quoted(folder) + " не може да бъде отворена", why);
}

Failure playFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, "Мелодията " + quoted(path) + " не може да бъде изсвирена", why);
}

namespace {

std::string inStore(std::string_view store) {
    return store.empty() ? std::string() : " във файла " + quoted(store);
}

Failure settingFailed(ErrorCode code, std::string_view valueName, std::string_view store,
                      std::string_view cannot, std::string_view why) {
    std::string subject = "Настройката " + quoted(valueName) + inStore(store);
    subject += cannot;
    return sentence(code, subject, why);
}

}  // namespace

Failure settingReadFailed(ErrorCode code, std::string_view valueName, std::string_view why,
                          std::string_view store) {
    return settingFailed(code, valueName, store, " не може да бъде прочетена", why);
}

Failure settingWriteFailed(ErrorCode code, std::string_view valueName, std::string_view why,
                           std::string_view store) {
    return settingFailed(code, valueName, store, " не може да бъде записана", why);
}

Failure settingsUnavailable(ErrorCode code, std::string_view why) {
    return sentence(code, "Настройките на Zorvik BG не са достъпни", why);
}

std::string storeTooLarge(long long largestBytes) {
    return "по-голям е от " + std::to_string(largestBytes >> 20) + " MB";
}

std::string storeDamaged(std::string_view why) {
    return "файлът е повреден (" + std::string(why) + ")";
}

std::string retryQuestion(const Failure& failure) {
    return failure.message + "\r\n\r\nДа се опита ли отново? При отказ нищо не се променя.";
}

Failure fileChoiceFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, "Файлът " + quoted(path) + " не може да бъде избран", why);
}

}  // namespace zorvik::failure_text
