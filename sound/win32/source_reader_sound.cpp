#include "sound/win32/source_reader_sound.h"

#include <algorithm>

#include "texts/texts.h"

namespace zorvik::win32 {

namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);

// The machine's own failures (a disk, a network share gone, memory), which end a conversion;
// anything else midway is damage, where the sound ends as a player would end it.
bool machineFailure(HRESULT result) {
    return HRESULT_FACILITY(result) == FACILITY_WIN32 || result == E_OUTOFMEMORY;
}

}  // namespace

SourceReaderSound::SourceReaderSound(ComPtr<IMFSourceReader> reader, const DecodedFormat& format,
                                     std::unique_ptr<PcmResampler> resampler,
                                     sound::MelodyShape shape, std::uint64_t duration)
    : reader_(std::move(reader)),
      format_(format),
      resampler_(std::move(resampler)),
      shape_(shape),
      duration_(duration) {
    if (format.channels > sound::kMostMelodyChannels) {
        downmix_.emplace(format.channels, format.speakerMask);
    }
}

Result<std::size_t> SourceReaderSound::read(std::span<std::int16_t> into) {
    const std::size_t wanted = into.size() - into.size() % shape_.channels;
    std::size_t written = 0;
    while (written < wanted) {
        if (readyFrom_ == ready_.size()) {
            if (ended_) {
                break;
            }
            if (const Status decoded = decodeNextPiece(); !decoded.ok()) {
                return decoded.failure();
            }
            continue;
        }
        const std::size_t count = std::min(wanted - written, ready_.size() - readyFrom_);
        std::copy_n(ready_.begin() + static_cast<std::ptrdiff_t>(readyFrom_), count,
                    into.begin() + static_cast<std::ptrdiff_t>(written));
        readyFrom_ += count;
        written += count;
    }
    return written;
}

// The duration in the melody's frames, divided first: a duration in 100-nanosecond units times a
// rate would overflow for a source that claims to last years.
std::uint64_t SourceReaderSound::frames() const {
    constexpr std::uint64_t kUnitsPerSecond = 10'000'000;
    return duration_ / kUnitsPerSecond * shape_.sampleRate +
           duration_ % kUnitsPerSecond * shape_.sampleRate / kUnitsPerSecond;
}

// The last piece's end, which may lie past the duration the source gave.
sound::DecodingProgress SourceReaderSound::progress() const {
    return {duration_ != 0 ? std::min(done_, duration_) : done_, duration_};
}

Status SourceReaderSound::decodeNextPiece() {
    ready_.clear();
    readyFrom_ = 0;
    while (ready_.empty() && !ended_) {
        DWORD flags = 0;
        LONGLONG time = 0;
        ComPtr<IMFSample> sample;
        const HRESULT result = reader_->ReadSample(kAudio, 0, nullptr, &flags, &time, &sample);
        if (FAILED(result) || (flags & MF_SOURCE_READERF_ERROR) != 0) {
            // where it fails at once, it is no sound this machine decodes
            if (machineFailure(result) || !decodedAny_) {
                return failureOfDecoding(FAILED(result) ? result : E_FAIL);
            }
            return end();
        }
        if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) != 0) {
            // a sound that changes its shape midway: the melody cannot follow it
            ComPtr<IMFMediaType> type;
            UINT32 channels = 0;
            UINT32 rate = 0;
            if (FAILED(reader_->GetCurrentMediaType(kAudio, &type)) ||
                FAILED(type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels)) ||
                FAILED(type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate)) ||
                channels != format_.channels || rate != format_.sampleRate) {
                return Failure{ErrorCode::Unsupported,
                               std::string(texts::reason(ErrorCode::Unsupported))};
            }
        }
        if (sample) {
            decodedAny_ = true;
            LONGLONG length = 0;
            sample->GetSampleDuration(&length);
            done_ = static_cast<std::uint64_t>(std::max<LONGLONG>(0, time + length));
            if (const Status taken = take(*sample.Get()); !taken.ok()) {
                return taken;
            }
        }
        if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0) {
            return end();
        }
    }
    return Status::success();
}

Status SourceReaderSound::take(IMFSample& sample) {
    ComPtr<IMFMediaBuffer> buffer;
    HRESULT result = sample.ConvertToContiguousBuffer(&buffer);
    if (FAILED(result)) {
        return failureOfDecoding(result);
    }
    const LockedBuffer locked(buffer.Get());
    if (locked.bytes() == nullptr) {
        return failureOfDecoding(E_FAIL);
    }
    const std::size_t samples = locked.length() / sizeof(std::int16_t);
    std::span<const std::int16_t> frames(reinterpret_cast<const std::int16_t*>(locked.bytes()),
                                         samples - samples % format_.channels);
    if (frames.empty()) {
        return Status::success();  // a gap: the resampler would refuse an empty piece
    }
    if (downmix_) {
        mixed_.clear();
        downmix_->mix(frames, mixed_);
        frames = mixed_;
    }
    if (resampler_) {
        return resampler_->push(frames, ready_);
    }
    ready_.assign(frames.begin(), frames.end());
    return Status::success();
}

Status SourceReaderSound::end() {
    ended_ = true;
    done_ = duration_ != 0 ? duration_ : done_;
    return resampler_ ? resampler_->drain(ready_) : Status::success();
}

}  // namespace zorvik::win32
