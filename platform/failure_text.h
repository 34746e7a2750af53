#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace zorvik {

// Why a melody cannot be played, where the codes' generic reasons would not say.
enum class PlayFault {
    NotAFile,       // a pipe, a device, anything but a file on disk
    NotWave,        // not RIFF/WAVE
    NoFormat,       // no "fmt " chunk
    DamagedFormat,  // a format chunk past the file's end, or too small for its tag
    DamagedHeader,  // chunks without end before the sound, or an RF64 file without its sizes
    NoData,         // no "data" chunk
    NoChannels,     // zero channels
    TooManyChannels,
    RateOutOfRange,  // outside 1 Hz to kHighestSampleRate
    NoBlockAlign,    // zero bytes a block
    FieldsDisagree,  // fields of the format that contradict one another or its tag
    Undecodable,     // the header passed, the decoder still refuses it
    NoCodec,         // Windows has no codec for the format
    DeviceBusy,
    DeviceRefused,  // the device would not open for the format
    DeviceCannotTakeFormat,
    NoSoundLibraries,
};

}  // namespace zorvik

// The Bulgarian sentences with which failures reach the user. Each names what failed (the file,
// folder or value) and why; every platform builds its failures from these.
namespace zorvik::failure_text {

// Why, in a few lower-case words, without a full stop.
std::string_view reason(ErrorCode code);

// Reasons more precise than a code's, where the file layer knows which of two files it was.
enum class Detail {
    SourceIsFolder,
    SourceMissing,
    SourceFolderMissing,
    SourcePathThroughFile,
    SourceNotRegular,
    SourceNotRemovable,
    DestinationIsFolder,
    DestinationFolderMissing,
    DestinationPathThroughFile,
    DestinationFolderIsFile,
    DestinationReadOnly,
    NoFileNamed,
    AlreadyInPlace,
    // a link this system shows as a file: a delete or a move would reach the file it points to
    LinkNotActedOnItself,
    LinkAcrossVolumes,
    StillThereAfterDelete,
    StillThereAfterMove,
    ListedFolderIsFile,
    // what a host's error says beyond its code
    DiskReadOnly,
    DiskWriteProtected,
    DeviceNotReady,
    NetworkPathUnavailable,
    NetworkConnectionLost,
    NameTooLong,
    PathTooLong,
    TooManyLinks,
    TooManyOpenFiles,
    OutOfMemory,
    // what the elevated process refuses to do for another, and how it may fail that one
    OutsideMelodyFolders,
    ElevatedRunGone,
};
std::string_view reason(Detail detail);
// An error of the host's that has no better reason, by its number.
std::string systemError(unsigned long number);
// "„path“ е файл, а не папка": the file in the middle of a path that goes on below it.
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

// The code and reason of a fault, for a layer that does not know the file's name.
Failure playFault(PlayFault fault);
Failure playFailed(PlayFault fault, std::string_view path);
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

// "„text“", with Bulgarian quotation marks.
std::string quoted(std::string_view text);

}  // namespace zorvik::failure_text
