// The Linux build's decoder: FFmpeg's, from its module, loaded at the first sound that needs it.
#include <mutex>

#include "platform/posix/loadable_module.h"
#include "sound/ffmpeg/decoder_module.h"
#include "sound/platform_sound_decoder.h"
#include "sound/sound_failures.h"

namespace zorvik::sound {

namespace {

class LazySoundDecoder final : public SoundDecoder {
public:
    Result<std::unique_ptr<DecodedSound>> open(const std::string& hostPath) override {
        std::call_once(loadOnce_, [this] {
            const auto create = reinterpret_cast<CreateSoundDecoder>(
                posix::moduleEntry(ZORVIK_FFMPEG_MODULE_FROM_PROGRAM, ZORVIK_FFMPEG_MODULE_BUILT,
                                   kCreateSoundDecoder));
            if (create != nullptr) {
                decoder_.reset(create());
            }
        });
        if (!decoder_) {
            return failure_text::soundFault(SoundFault::FfmpegMissing);
        }
        return decoder_->open(hostPath);
    }

private:
    std::once_flag loadOnce_;
    std::unique_ptr<SoundDecoder> decoder_;
};

}  // namespace

std::unique_ptr<SoundDecoder> createPlatformSoundDecoder() {
    return std::make_unique<LazySoundDecoder>();
}

}  // namespace zorvik::sound
