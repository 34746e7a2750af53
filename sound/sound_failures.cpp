#include "sound/sound_failures.h"

#include <string>

#include "sound/wave_header.h"

namespace zorvik::failure_text {

namespace {

ErrorCode codeOf(PlayFault fault) {
    switch (fault) {
        case PlayFault::NotAFile:
        case PlayFault::NotWave:
        case PlayFault::TooManyChannels:
        case PlayFault::RateOutOfRange:
        case PlayFault::Undecodable:
        case PlayFault::NoCodec:
        case PlayFault::DeviceCannotTakeFormat:
            return ErrorCode::Unsupported;
        case PlayFault::NoFormat:
        case PlayFault::DamagedFormat:
        case PlayFault::DamagedHeader:
        case PlayFault::NoData:
        case PlayFault::NoChannels:
        case PlayFault::NoBlockAlign:
        case PlayFault::FieldsDisagree:
            return ErrorCode::Corrupt;
        case PlayFault::DeviceBusy:
        case PlayFault::NoSoundLibraries:
            return ErrorCode::NotAvailable;
        case PlayFault::DeviceRefused:
            return ErrorCode::NoDevice;
    }
    return ErrorCode::Other;
}

ErrorCode codeOf(SoundFault fault) {
    switch (fault) {
        case SoundFault::Empty:
        case SoundFault::NotASound:
        case SoundFault::NoSound:
            return ErrorCode::Unsupported;
        case SoundFault::Damaged:
        case SoundFault::DamagedOrNoWindowsCodec:
        case SoundFault::DamagedOrNoGStreamerPlugin:
            return ErrorCode::Corrupt;
        case SoundFault::TooLong:
            return ErrorCode::TooLarge;
        case SoundFault::NoDecoder:
        case SoundFault::FfmpegMissing:
        case SoundFault::NeedsMediaFeaturePack:
            return ErrorCode::NotAvailable;
    }
    return ErrorCode::Other;
}

}  // namespace

Failure playFault(PlayFault fault) {
    return {codeOf(fault), filled(reason(fault), {std::to_string(kMostChannels),
                                                  std::to_string(kHighestSampleRate / 1000)})};
}

Failure playFailed(PlayFault fault, std::string_view path) {
    const Failure why = playFault(fault);
    return playFailed(why.code, path, why.message);
}

Failure soundFault(SoundFault fault) {
    return {codeOf(fault), std::string(reason(fault))};
}

Failure addRefused(ErrorCode code, std::string_view shown, std::string_view why) {
    return {code, filled(texts::kSubjectAndReason, {filled(texts::kAddRefused, {shown}), why})};
}

Failure ringRefused(ErrorCode code, std::string_view melody, std::string_view why) {
    Failure failure{code,
                    filled(texts::kSubjectAndReason, {filled(texts::kRingRefused, {melody}), why})};
    failure.message += texts::kNothingChanged;
    return failure;
}

}  // namespace zorvik::failure_text
