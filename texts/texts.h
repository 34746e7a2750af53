#pragma once

#include <string_view>

#include "platform/status.h"
#include "texts/failure_kinds.h"

// Everything the program says to its user, in Bulgarian, in one place for a reviewer or a
// translator. The texts are compared byte for byte by the tests: "\r\n" breaks a line in a box,
// „…“ quote what a sentence names, and {1}, {2}, {3} stand for what is filled in (a path, a
// name, a reason); failure_text::filled fills them.
//
// Kept elsewhere, as data of their own: the window's title and the captions of its controls
// (main_window/form1_layout.h, the design's table), the installer's pages (NSIS's own language
// strings in packaging/windows/zorvik.nsi), the product's name in the installer, the Start menu
// and the version resource (ZORVIK_PRODUCT_NAME in CMakeLists.txt) and the desktop entry
// (packaging/*.desktop).
namespace zorvik::texts {

// How every question about a melody names it: {1} the question, {2} the melody's name.
inline constexpr std::string_view kQuestionNamingMelody = "{1}\r\n„{2}“";

// The Запис button: the question before the ring melody is chosen, and what may follow it.
inline constexpr std::string_view kRingQuestion =
    "Желаете ли запис на избраната мелодия\r\n за звънене на Zorvik BG?";
inline constexpr std::string_view kRingTitle = "Избор на мелодия...";
inline constexpr std::string_view kNothingSelected =
    "Няма маркирана мелодия: маркирайте мелодия в списъка и запишете отново.";
// after a failed switch, where even putting the record back failed: then the record's failure
inline constexpr std::string_view kRecordStillNew =
    " Записът в настройките обаче вече назовава новата мелодия: ";
inline constexpr std::string_view kNothingChanged =
    " Мелодията за звънене и записът ѝ в настройките остават, каквито бяха.";
// {1} the ring file, held open by another program (the phone program, mostly)
inline constexpr std::string_view kRingFileInUse =
    "Файлът за звънене „{1}“ се използва от друга програма. Затворете тази програма или "
    "опитайте отново след малко.";
inline constexpr std::string_view kRingChoiceBusy =
    "Мелодията за звънене не може да бъде записана сега: друго копие на програмата записва "
    "мелодия за звънене в момента.";

// The Нова мелодия item: the question before a file is added to the melodies. {1} the file's name.
inline constexpr std::string_view kAddQuestion =
    "Желаете ли добавяне на файл: {1}\r\n към мелодиите на Zorvik?";
inline constexpr std::string_view kAddTitle = "Добавяне на нова мелодия.";
inline constexpr std::string_view kAlreadyAdded =
    "Мелодията „{1}“ вече е в папката с мелодии: няма какво да се добави.";
// the line the question ends with where the melody takes another name than the file: {1} that
// name, for a sound that becomes a WAV file, and for a WAV file whose name does not say so
inline constexpr std::string_view kConvertedLine =
    "\r\nТой ще бъде преобразуван във формат WAV и добавен като „{1}“.";
inline constexpr std::string_view kRenamedLine = "\r\nТой ще бъде добавен като „{1}“.";
// a file refused before the question, {1} the file: then why (reason(SoundFault), a PlayFault's)
inline constexpr std::string_view kAddRefused =
    "Файлът „{1}“ не може да бъде добавен към мелодиите";
// a melody the ring choice refuses before its question, {1} the melody: then why, and
// kNothingChanged
inline constexpr std::string_view kRingRefused =
    "Мелодията „{1}“ не може да бъде записана за звънене";

// The delete button in each view, and its questions, each naming its melody. A move out of the
// Deleted view puts the melody back, so its question, and the question for rights it may bring,
// carry the restore's title.
inline constexpr std::string_view kDeleteCaption = "Изтриване на маркираната мелодия";
inline constexpr std::string_view kRestoreCaption = "Добавяне на маркираната мелодия";
inline constexpr std::string_view kDeleteTitle = "Потвърди изтриването";
inline constexpr std::string_view kRestoreTitle = "Потвърди връщането";
inline constexpr std::string_view kMoveQuestion =
    "Желаете ли преместване на мелодията в папка ''Deleted''?";
inline constexpr std::string_view kForGoodQuestion =
    "Желаете ли окончателно изтриване на мелодията?";
// asked only where the Rings folder already holds a melody of that name
inline constexpr std::string_view kRestoreQuestion =
    "Желаете ли връщане на мелодията в папката с мелодии?";
inline constexpr std::string_view kNothingMarked =
    "Няма маркирана мелодия в тази папка: щракнете мелодия в списъка и опитайте отново.";
// the line a question ends with where its destination already holds a melody of that name
inline constexpr std::string_view kReplacedLine =
    "\r\nСъществуващата мелодия „{1}“ ще бъде заменена.";
inline constexpr std::string_view kMoveBusy =
    "Мелодията „{1}“ не може да бъде преместена сега: друго копие на програмата променя "
    "мелодиите в момента.";
// why a move that would journal itself is refused while an earlier move's journal stays
inline constexpr std::string_view kEarlierMoveUnfinished =
    "по-ранно преместване не е довършено ({1})";

// The question for an administrator's rights, where the install folder {1} refuses a change, and
// its buttons; then why the rights could not be had.
inline constexpr std::string_view kElevationQuestion =
    "Папката „{1}“ може да се променя само с права на администратор.\r\n"
    "Желаете ли да продължите като администратор? Windows ще поиска разрешение.";
inline constexpr std::string_view kGoOnCaption = "Продължи";
inline constexpr std::string_view kCancelCaption = "Отказ";
inline constexpr std::string_view kElevationFailed =
    "Правата на администратор за папката „{1}“ не могат да бъдат получени";
inline constexpr std::string_view kNothingChangedAtAll = " Нищо не е променено.";

// The progress dialog of a long copy and of a move that copies; its button is kCancelCaption.
inline constexpr std::string_view kCopying = "Копиране на „{1}“…";
inline constexpr std::string_view kMoving = "Преместване на „{1}“…";
inline constexpr std::string_view kConverting = "Преобразуване на „{1}“…";

// The open-file dialog's columns on Linux (Qt's own are in the system's language), as Windows
// shows them; the date in Qt's format. Then why the Windows dialog could not open.
inline constexpr std::string_view kSizeInKb = "{1} КБ";
inline constexpr std::string_view kFolderType = "Папка";
inline constexpr std::string_view kFileType = "Файл";
inline constexpr std::string_view kFileOfType = "Файл {1}";
inline constexpr std::string_view kModifiedFormat = "d.MM.yyyy 'г.' H:mm";
// The open-file dialog's other filters, after the design's "Wav": {1} a kind of sound by its
// format's name.
inline constexpr std::string_view kAllSoundsFilter = "Всички звуци";
inline constexpr std::string_view kSoundKindFilter = "Звук {1}";
inline constexpr std::string_view kAllFilesFilter = "Всички файлове";
inline constexpr std::string_view kFileDialogFailed =
    "Прозорецът за избор на файл не може да бъде отворен (грешка {1}).";

// What a screen reader says of the controls that do not say it with a caption of their own.
inline constexpr std::string_view kListDescription =
    "Щракнете мелодия или я изберете със стрелките, за да я маркирате. Ако „Избери само за "
    "прослушване на мелодиите“ е отметнато, маркираната мелодия прозвучава.";
inline constexpr std::string_view kDeletedListName = "Мелодии в папка „Deleted“";
inline constexpr std::string_view kPlayerName = "Изпълнение на мелодиите";
inline constexpr std::string_view kPlayOnMarkDescription =
    "Когато е отметнато, всяка мелодия, маркирана в списъка, прозвучава.";
inline constexpr std::string_view kMoveTickDescription =
    "Когато е отметнато, бутонът за изтриване премества мелодията в папка „Deleted“, вместо да "
    "я изтрие окончателно, а от папка „Deleted“ я връща при останалите мелодии.";
inline constexpr std::string_view kMenuButtonDescription =
    "Отваря меню: нова мелодия от файл или мелодиите в папка „Deleted“.";
inline constexpr std::string_view kRingButtonDescription =
    "Записва маркираната мелодия като мелодия за звънене на Zorvik BG, след като потвърдите.";
inline constexpr std::string_view kDeleteButtonDescription =
    "Изтрива окончателно мелодията, щракната последна, след като потвърдите, а когато "
    "преместването в папка „Deleted“ е отметнато, я премества там.";
inline constexpr std::string_view kRestoreButtonDescription =
    "Когато преместването в папка „Deleted“ е отметнато, връща щракнатата мелодия при "
    "останалите мелодии; иначе я изтрива окончателно, след като потвърдите. После списъкът "
    "показва отново папката на Zorvik BG.";

// The name of the program's sound in the system's volume control (Linux).
inline constexpr std::string_view kSoundStreamName = "Мелодия";

// A failure box: "{subject}: {reason}." The subjects name the file, folder or value; {1} and
// {2} are paths or names.
inline constexpr std::string_view kSubjectAndReason = "{1}: {2}.";
inline constexpr std::string_view kCopyFailed = "Файлът „{1}“ не може да бъде копиран в „{2}“";
inline constexpr std::string_view kMoveFailed = "Файлът „{1}“ не може да бъде преместен в „{2}“";
inline constexpr std::string_view kBothFoldersUnchanged = " Двете папки остават, каквито бяха.";
inline constexpr std::string_view kCheckBothFolders = " Проверете двете папки.";
inline constexpr std::string_view kDeleteFailed = "Файлът „{1}“ не може да бъде изтрит";
inline constexpr std::string_view kFolderFailed = "Папката „{1}“ не може да бъде отворена";
inline constexpr std::string_view kPlayFailed = "Мелодията „{1}“ не може да бъде изсвирена";
inline constexpr std::string_view kChoiceFailed = "Файлът „{1}“ не може да бъде избран";
// a move whose undo failed too: {1} the source, {2} the destination, {3} the reason
inline constexpr std::string_view kLeftInBothFolders =
    "Файлът „{1}“ не може да бъде премахнат ({3}), а копието му в „{2}“ не може да бъде "
    "махнато: сега мелодията е и в двете папки.";
// the same, where the destination's older content was kept aside in {4}
inline constexpr std::string_view kLeftInBothFoldersOlderAside =
    "Файлът „{1}“ не може да бъде премахнат ({3}), а предишното съдържание на „{2}“ не може да "
    "бъде върнато: сега мелодията е и в двете папки, а предишното съдържание е във файла „{4}“.";
inline constexpr std::string_view kReplaceLeftOlderAside =
    "Файлът „{1}“ не може да бъде заменен ({2}), а предишното му съдържание остана във файла "
    "„{3}“.";
inline constexpr std::string_view kPathThroughFile = "„{1}“ е файл, а не папка";
inline constexpr std::string_view kSystemError = "системна грешка {1}";
inline constexpr std::string_view kNotWindowsText = "Пътят „{1}“ не е допустим текст в Windows.";

// A failure box about the settings (the registry on Windows, a file on Linux): {1} the value's
// name, {2} the file's path on Linux; then the reasons the settings give.
inline constexpr std::string_view kSettingReadFailed =
    "Настройката „{1}“ не може да бъде прочетена";
inline constexpr std::string_view kSettingWriteFailed =
    "Настройката „{1}“ не може да бъде записана";
inline constexpr std::string_view kSettingInFileReadFailed =
    "Настройката „{1}“ във файла „{2}“ не може да бъде прочетена";
inline constexpr std::string_view kSettingInFileWriteFailed =
    "Настройката „{1}“ във файла „{2}“ не може да бъде записана";
inline constexpr std::string_view kSettingsUnavailable = "Настройките на Zorvik BG не са достъпни";
inline constexpr std::string_view kRetryQuestion =
    "\r\n\r\nДа се опита ли отново? При отказ нищо не се променя.";
inline constexpr std::string_view kEarlierValuesNotUndone =
    " Стойностите, записани преди нея, не можаха да бъдат върнати.";
inline constexpr std::string_view kNoSuchValue = "няма такава стойност";
inline constexpr std::string_view kValueTypeNotWritable =
    "този тип стойност не може да бъде записан";
inline constexpr std::string_view kTypeNotSupported = "типът {1} не се поддържа";
inline constexpr std::string_view kValueOfType = "стойността е от тип {1}";
inline constexpr std::string_view kNotWholeNumber = "стойността не е цяло число";
inline constexpr std::string_view kOutOfShortRange = "числото е извън границите от -32768 до 32767";
inline constexpr std::string_view kNotFourBytes = "числото не е от 4 байта";
inline constexpr std::string_view kNotValidText = "стойността не е валиден текст";
inline constexpr std::string_view kNotValidUtf8 = "текстът не е валиден UTF-8";
inline constexpr std::string_view kOnlyCurrentUser = "достъпен е само ключът HKEY_CURRENT_USER";
inline constexpr std::string_view kNotAValueName = "името не назовава стойност в ключ";
inline constexpr std::string_view kNotOneKey = "стойностите не са в един ключ";
inline constexpr std::string_view kNoSuchObject = "няма обект „{1}“";
inline constexpr std::string_view kObjectNotCreated = "обектът {1} не е създаден";
inline constexpr std::string_view kJournalDamaged = "записът е повреден";
inline constexpr std::string_view kWritersBusy =
    "друго копие на програмата записва настройките в момента";
// the settings file on Linux
inline constexpr std::string_view kLockFileFailed = "файлът „{1}“: {2}";
inline constexpr std::string_view kNameHasControls = "името съдържа недопустими знаци";
inline constexpr std::string_view kTextNotStorable = "текстът не е в UTF-8 или съдържа нулев знак";
inline constexpr std::string_view kStoreReadOnly = "файлът с настройките е само за четене";
inline constexpr std::string_view kStoreNotSetAside =
    "файлът е повреден и не може да бъде запазен настрана";
inline constexpr std::string_view kStoreNotAFile = "на мястото на файла има нещо друго, не файл";
inline constexpr std::string_view kStoreTooLarge = "по-голям е от {1} MB";
inline constexpr std::string_view kStoreDamaged = "файлът е повреден ({1})";
inline constexpr std::string_view kStoreNotText = "текстът не е в UTF-8 или UTF-16";
inline constexpr std::string_view kStoreTooLong = "файлът е твърде голям за файл с настройки";
inline constexpr std::string_view kStoreLine = "ред {1}: {2}";
inline constexpr std::string_view kStoreBadValueName = "грешка в името на стойност";
inline constexpr std::string_view kStoreNoEquals = "липсва знакът =";
inline constexpr std::string_view kStoreNoHeader = "липсва заглавието на формата";
inline constexpr std::string_view kStoreUnclosedKey = "незатворено име на ключ";
inline constexpr std::string_view kStoreUnknownLine = "непознат ред";
inline constexpr std::string_view kStoreValueOutsideKey = "стойност извън ключ";
inline constexpr std::string_view kStoreUnfinishedHex = "незавършени шестнайсетични данни";
inline constexpr std::string_view kStoreBadValueData = "грешка в данните на стойност";

// Why a sound could not be decoded (reasons, after the file's name): on every platform, then on
// Windows, through Media Foundation.
inline constexpr std::string_view kSoundFileEmpty = "файлът е празен";
inline constexpr std::string_view kNoSoundInFile = "файлът не съдържа звук";
inline constexpr std::string_view kMediaFoundationMissing =
    "в Windows липсва Media Foundation, с която се четат звуците извън WAV (в изданията N на "
    "Windows я добавя Media Feature Pack от „Допълнителни функции“ в настройките)";
inline constexpr std::string_view kSoundNotDecodable =
    "файлът не е звук, повреден е или Windows няма декодер за формата му (Ogg и Opus се четат "
    "след инсталиране на „Web Media Extensions“ от Microsoft Store)";
// under Wine, whose decoders are the host's GStreamer plugins: which Debian package reads what
// (Ogg and Opus need only the first)
inline constexpr std::string_view kSoundNotDecodableUnderWine =
    "файлът не е звук, повреден е или липсва декодер за формата му (под Wine звукът се чете чрез "
    "GStreamer с пакетите gstreamer1.0-plugins-base за всички формати, gstreamer1.0-plugins-good "
    "за MP3 и FLAC, gstreamer1.0-libav за M4A, AAC и WMA и gstreamer1.0-plugins-ugly за WMA)";
// {1} the sound's rate in Hz, which a phone does not play
inline constexpr std::string_view kNoResampler =
    "Windows не може да промени честотата на дискретизация от {1} Hz";

// A failure of the program itself, shown like any other: the window, a check box's state, a
// fault in a handler.
inline constexpr std::string_view kWindowNotCreated =
    "Прозорецът на програмата не може да бъде създаден ({1}).";
inline constexpr std::string_view kControlNotCreated =
    "Прозорецът на програмата не може да бъде създаден: елементът „{1}“ е отказан ({2}).";
inline constexpr std::string_view kCheckStateInvalid = "Състоянието {1} не е допустимо за отметка.";
inline constexpr std::string_view kInternalFault = "Вътрешна грешка на програмата: {1}.";

// The reason of a failure, after its subject: a few lower-case words, without a full stop.
constexpr std::string_view reason(ErrorCode code) {
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

// Reasons more precise than a code's.
constexpr std::string_view reason(failure_text::Detail detail) {
    using enum failure_text::Detail;
    switch (detail) {
        case SourceIsFolder:
            return "изходният файл е папка";
        case SourceMissing:
            return "изходният файл не съществува";
        case SourceFolderMissing:
            return "папката на изходния файл не съществува";
        case SourcePathThroughFile:
            return "част от пътя на изходния файл е файл";
        case SourceNotRegular:
            return "изходният файл не е обикновен файл";
        case SourceNotRemovable:
            return "достъпът е отказан (файлът не може да бъде премахнат от папката си)";
        case DestinationIsFolder:
            return "целта е папка";
        case DestinationFolderMissing:
            return "папката на целта не съществува";
        case DestinationPathThroughFile:
            return "част от пътя на целта е файл";
        case DestinationFolderIsFile:
            return "папката на целта е файл";
        case DestinationReadOnly:
            return "целта е файл само за четене";
        case NoFileNamed:
            return "пътят не назовава файл";
        case AlreadyInPlace:
            return "копието вече е на мястото си";
        case LinkNotActedOnItself:
            return "файлът е символна връзка, а тази система би изтрила или преместила файла, "
                   "към който тя сочи, вместо нея";
        case KeptAsideReplaced:
            return "файлът, оставен настрана по време на преместването, вече е друг файл";
        case LinkAcrossVolumes:
            return "файлът е символна връзка и не може да бъде преместен на друг диск";
        case StillThereAfterDelete:
            return "системата съобщи, че го е изтрила, но файлът е още на мястото си";
        case StillThereAfterMove:
            return "системата съобщи, че го е преместила, но файлът е още на мястото си";
        case ListedFolderIsFile:
            return "това е файл, а не папка";
        case DiskReadOnly:
            return "дискът е само за четене";
        case DiskWriteProtected:
            return "дискът е защитен срещу запис";
        case DeviceNotReady:
            return "устройството не е готово";
        case NetworkPathUnavailable:
            return "мрежовият път не е достъпен";
        case NetworkConnectionLost:
            return "връзката с мрежовата папка прекъсна";
        case NameTooLong:
            return "името е твърде дълго";
        case PathTooLong:
            return "пътят е твърде дълъг";
        case TooManyLinks:
            return "пътят съдържа твърде много символни връзки";
        case TooManyOpenFiles:
            return "отворени са твърде много файлове";
        case OutOfMemory:
            return "няма достатъчно памет";
        case OutsideMelodyFolders:
            return "файлът не е мелодия, файлът за звънене или копие на програмата в папките ѝ";
        case NotAMelodyPlace:
            return "папката не е папката на програмата или някоя от папките с мелодии";
        case NotItsOwnFile:
            return "файлът не е направен от процеса с права на администратор";
        case TooManyAtOnce:
            return "процесът с права на администратор вече държи твърде много файлове наведнъж";
        case LargerThanAMelody:
            return "файлът би станал по-голям от която и да е мелодия";
        case ElevatedRunGone:
            return "процесът с права на администратор спря, без да довърши";
    }
    return reason(ErrorCode::Other);
}

// Why a melody cannot be played: {1} the most channels played, {2} the highest rate in kHz.
constexpr std::string_view reason(PlayFault fault) {
    switch (fault) {
        case PlayFault::NotAFile:
            return "това не е обикновен файл";
        case PlayFault::NotWave:
            return "файлът не е във формат WAV";
        case PlayFault::NoFormat:
            return "липсва описанието на звука";
        case PlayFault::DamagedFormat:
            return "описанието на звука е повредено";
        case PlayFault::DamagedHeader:
            return "заглавната част на файла е повредена";
        case PlayFault::NoData:
            return "липсват звуковите данни";
        case PlayFault::NoChannels:
            return "броят на звуковите канали е нула";
        case PlayFault::TooManyChannels:
            return "звуковите канали са повече от {1}";
        case PlayFault::RateOutOfRange:
            return "честотата на дискретизация е извън границите от 1 Hz до {2} kHz";
        case PlayFault::NoBlockAlign:
            return "размерът на звуковия блок е нула";
        case PlayFault::FieldsDisagree:
            return "полетата в описанието на звука си противоречат";
        case PlayFault::Undecodable:
            return "файлът е повреден или не е звук във формат WAV";
        case PlayFault::NoCodec:
            return "Windows няма кодек за този вид WAV";
        case PlayFault::DeviceBusy:
            return "звуковото устройство е заето";
        case PlayFault::DeviceRefused:
            return "звуковото устройство не може да бъде отворено";
        case PlayFault::DeviceCannotTakeFormat:
            return "звуковото устройство не поддържа формата на файла";
        case PlayFault::NoSoundLibraries:
            return "звуковите библиотеки не могат да бъдат заредени";
    }
    return reason(ErrorCode::Other);
}

// Why a sound cannot become a melody.
constexpr std::string_view reason(SoundFault fault) {
    switch (fault) {
        case SoundFault::Empty:
            return "файлът е празен";
        case SoundFault::NotASound:
            return "файлът не е звук, който програмата може да преобразува";
        case SoundFault::NoSound:
            return "във файла няма звук";
        case SoundFault::Damaged:
            return "звукът във файла е повреден";
        case SoundFault::TooLong:
            return "във формат WAV звукът би бил по-голям от 4 GB, а такъв файл не може да бъде "
                   "по-голям";
        case SoundFault::NoDecoder:
            return "програмата няма декодер за друг звук освен WAV";
        case SoundFault::FfmpegMissing:
            return "библиотеките на FFmpeg за преобразуване на звук не могат да бъдат заредени: "
                   "инсталирайте пакетите libavformat59, libavcodec59 и libswresample4";
        case SoundFault::NeedsMediaFeaturePack:
            return "в тази Windows липсва Media Foundation: инсталирайте Media Feature Pack "
                   "(Настройки → Приложения → Допълнителни функции)";
        case SoundFault::DamagedOrNoWindowsCodec:
            return "файлът е повреден или Windows няма декодер за този вид звук (за Ogg и Opus "
                   "е нужно разширение от Microsoft Store)";
        case SoundFault::DamagedOrNoGStreamerPlugin:
            return "файлът е повреден или под Wine липсва приставка на GStreamer: инсталирайте "
                   "gstreamer1.0-plugins-base и gstreamer1.0-plugins-good, за M4A и AAC също "
                   "gstreamer1.0-libav, а за WMA gstreamer1.0-plugins-ugly";
    }
    return reason(ErrorCode::Other);
}

}  // namespace zorvik::texts
