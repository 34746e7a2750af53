#include "platform/failure_text.h"

#include "platform/wave_header.h"

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
        case ErrorCode::InUse:
            return "файлът се използва от друга програма";
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
        case ErrorCode::NotSameVolume:
            return "файлът не може да бъде преместен на друг диск";
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

std::string_view reason(Detail detail) {
    switch (detail) {
        case Detail::SourceIsFolder:
            return "изходният файл е папка";
        case Detail::SourceMissing:
            return "изходният файл не съществува";
        case Detail::SourceFolderMissing:
            return "папката на изходния файл не съществува";
        case Detail::SourcePathThroughFile:
            return "част от пътя на изходния файл е файл";
        case Detail::SourceNotRegular:
            return "изходният файл не е обикновен файл";
        case Detail::SourceNotRemovable:
            return "достъпът е отказан (файлът не може да бъде премахнат от папката си)";
        case Detail::DestinationIsFolder:
            return "целта е папка";
        case Detail::DestinationFolderMissing:
            return "папката на целта не съществува";
        case Detail::DestinationPathThroughFile:
            return "част от пътя на целта е файл";
        case Detail::DestinationFolderIsFile:
            return "папката на целта е файл";
        case Detail::DestinationReadOnly:
            return "целта е файл само за четене";
        case Detail::NoFileNamed:
            return "пътят не назовава файл";
        case Detail::AlreadyInPlace:
            return "копието вече е на мястото си";
        case Detail::LinkNotActedOnItself:
            return "файлът е символна връзка, а тази система би изтрила или преместила файла, "
                   "към който тя сочи, вместо нея";
        case Detail::LinkAcrossVolumes:
            return "файлът е символна връзка и не може да бъде преместен на друг диск";
        case Detail::StillThereAfterDelete:
            return "системата съобщи, че го е изтрила, но файлът е още на мястото си";
        case Detail::StillThereAfterMove:
            return "системата съобщи, че го е преместила, но файлът е още на мястото си";
        case Detail::ListedFolderIsFile:
            return "това е файл, а не папка";
        case Detail::DiskReadOnly:
            return "дискът е само за четене";
        case Detail::DiskWriteProtected:
            return "дискът е защитен срещу запис";
        case Detail::DeviceNotReady:
            return "устройството не е готово";
        case Detail::NetworkPathUnavailable:
            return "мрежовият път не е достъпен";
        case Detail::NetworkConnectionLost:
            return "връзката с мрежовата папка прекъсна";
        case Detail::NameTooLong:
            return "името е твърде дълго";
        case Detail::PathTooLong:
            return "пътят е твърде дълъг";
        case Detail::TooManyLinks:
            return "пътят съдържа твърде много символни връзки";
        case Detail::TooManyOpenFiles:
            return "отворени са твърде много файлове";
        case Detail::OutOfMemory:
            return "няма достатъчно памет";
        case Detail::OutsideMelodyFolders:
            return "файлът не е мелодия, файлът за звънене или копие на програмата в папките ѝ";
        case Detail::ElevatedRunGone:
            return "процесът с права на администратор спря, без да довърши";
    }
    return reason(ErrorCode::Other);
}

std::string systemError(unsigned long number) {
    return "системна грешка " + std::to_string(number);
}

std::string pathThroughFile(std::string_view file) {
    return quoted(file) + " е файл, а не папка";
}

Failure because(ErrorCode code, Detail detail) {
    return {code, std::string(reason(detail))};
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

Failure moveLeftInBothFolders(ErrorCode code, std::string_view source, std::string_view destination,
                              std::string_view why, std::string_view keptAside) {
    std::string message = "Файлът " + quoted(source) + " не може да бъде премахнат (";
    message += why.empty() ? reason(code) : why;
    if (keptAside.empty()) {
        message += "), а копието му в " + quoted(destination) +
                   " не може да бъде махнато: сега мелодията е и в двете папки.";
    } else {
        message += "), а предишното съдържание на " + quoted(destination) +
                   " не може да бъде върнато: сега мелодията е и в двете папки, а предишното "
                   "съдържание е във файла " +
                   quoted(keptAside) + ".";
    }
    return {code, std::move(message)};
}

Failure replaceLeftOlderAside(ErrorCode code, std::string_view destination, std::string_view why,
                              std::string_view keptAside) {
    std::string message = "Файлът " + quoted(destination) + " не може да бъде заменен (";
    message += why.empty() ? reason(code) : why;
    message += "), а предишното му съдържание остана във файла " + quoted(keptAside) + ".";
    return {code, std::move(message)};
}

Failure moveUnconfirmed(std::string_view source, std::string_view destination) {
    Failure failure =
        sentence(ErrorCode::Io,
                 "Файлът " + quoted(source) + " не може да бъде преместен в " + quoted(destination),
                 reason(Detail::StillThereAfterMove));
    failure.message += " Проверете двете папки.";
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

Failure playFault(PlayFault fault) {
    switch (fault) {
        case PlayFault::NotAFile:
            return {ErrorCode::Unsupported, "това не е обикновен файл"};
        case PlayFault::NotWave:
            return {ErrorCode::Unsupported, "файлът не е във формат WAV"};
        case PlayFault::NoFormat:
            return {ErrorCode::Corrupt, "липсва описанието на звука"};
        case PlayFault::DamagedFormat:
            return {ErrorCode::Corrupt, "описанието на звука е повредено"};
        case PlayFault::DamagedHeader:
            return {ErrorCode::Corrupt, "заглавната част на файла е повредена"};
        case PlayFault::NoData:
            return {ErrorCode::Corrupt, "липсват звуковите данни"};
        case PlayFault::NoChannels:
            return {ErrorCode::Corrupt, "броят на звуковите канали е нула"};
        case PlayFault::TooManyChannels:
            return {ErrorCode::Unsupported,
                    "звуковите канали са повече от " + std::to_string(kMostChannels)};
        case PlayFault::RateOutOfRange:
            return {ErrorCode::Unsupported,
                    "честотата на дискретизация е извън границите от 1 Hz до " +
                        std::to_string(kHighestSampleRate / 1000) + " kHz"};
        case PlayFault::NoBlockAlign:
            return {ErrorCode::Corrupt, "размерът на звуковия блок е нула"};
        case PlayFault::FieldsDisagree:
            return {ErrorCode::Corrupt, "полетата в описанието на звука си противоречат"};
        case PlayFault::Undecodable:
            return {ErrorCode::Unsupported, "файлът е повреден или не е звук във формат WAV"};
        case PlayFault::NoCodec:
            return {ErrorCode::Unsupported, "Windows няма кодек за този вид WAV"};
        case PlayFault::DeviceBusy:
            return {ErrorCode::NotAvailable, "звуковото устройство е заето"};
        case PlayFault::DeviceRefused:
            return {ErrorCode::NoDevice, "звуковото устройство не може да бъде отворено"};
        case PlayFault::DeviceCannotTakeFormat:
            return {ErrorCode::Unsupported, "звуковото устройство не поддържа формата на файла"};
        case PlayFault::NoSoundLibraries:
            return {ErrorCode::NotAvailable, "звуковите библиотеки не могат да бъдат заредени"};
    }
    return {ErrorCode::Other, std::string(reason(ErrorCode::Other))};
}

Failure playFailed(PlayFault fault, std::string_view path) {
    const Failure why = playFault(fault);
    return playFailed(why.code, path, why.message);
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

Failure ringChoiceBusy() {
    return {ErrorCode::Busy,
            "Мелодията за звънене не може да бъде записана сега: друго копие на програмата "
            "записва мелодия за звънене в момента."};
}

Failure moveBusy(std::string_view shownPath) {
    return {ErrorCode::Busy, "Мелодията " + quoted(shownPath) +
                                 " не може да бъде преместена сега: друго копие на програмата "
                                 "променя мелодиите в момента."};
}

Failure elevationFailed(ErrorCode code, std::string_view folder, std::string_view why) {
    Failure failure = sentence(
        code,
        "Правата на администратор за папката " + quoted(folder) + " не могат да бъдат получени",
        why);
    failure.message += " Нищо не е променено.";
    return failure;
}

std::string retryQuestion(const Failure& failure) {
    return failure.message + "\r\n\r\nДа се опита ли отново? При отказ нищо не се променя.";
}

Failure fileChoiceFailed(ErrorCode code, std::string_view path, std::string_view why) {
    return sentence(code, "Файлът " + quoted(path) + " не може да бъде избран", why);
}

}  // namespace zorvik::failure_text
