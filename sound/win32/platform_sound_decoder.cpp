// Until Media Foundation's decoder is built in, this build converts nothing: adding a WAV works
// as it always did, and any other sound is refused with a reason.
#include "sound/platform_sound_decoder.h"

#include "sound/sound_failures.h"

namespace zorvik::sound {

namespace {

class NoSoundDecoder final : public SoundDecoder {
public:
    Result<std::unique_ptr<DecodedSound>> open(const std::string&) override {
        return failure_text::soundFault(SoundFault::NoDecoder);
    }
};

}  // namespace

std::unique_ptr<SoundDecoder> createPlatformSoundDecoder() {
    return std::make_unique<NoSoundDecoder>();
}

}  // namespace zorvik::sound
