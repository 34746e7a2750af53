#pragma once

// The kinds of failure that have a reason of their own, beyond their error code; their texts are
// in texts/texts.h.
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

// Why a sound cannot become a melody: the reasons a decoder gives, each saying what the user can
// do where there is something to do (a library or a codec to install).
enum class SoundFault {
    Empty,
    NotASound,  // no decoder here knows the file as a sound
    NoSound,    // a container with no sound in it, or whose sound holds no sample
    Damaged,    // known as a sound, and its sound cannot be decoded
    TooLong,    // as a WAV file it would pass the 4 GiB such a file can hold
    NoDecoder,  // this build has no decoder for any other sound than WAV
    // Linux: FFmpeg's libraries, which the program loads only to convert, are not installed
    FfmpegMissing,
    // Windows: no Media Foundation at all (the N editions without the Media Feature Pack)
    NeedsMediaFeaturePack,
    // Media Foundation cannot tell a damaged file from one it has no codec for: on Windows,
    // and under Wine, where the codecs are GStreamer's plugins
    DamagedOrNoWindowsCodec,
    DamagedOrNoGStreamerPlugin,
};

}  // namespace zorvik

namespace zorvik::failure_text {

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
    // the name a namesake was kept aside under now reaches another file: it is not put back
    KeptAsideReplaced,
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
    NotAMelodyPlace,
    NotItsOwnFile,
    TooManyAtOnce,
    LargerThanAMelody,
    ElevatedRunGone,
};

}  // namespace zorvik::failure_text
