// The Windows build decodes through Media Foundation.
#include "sound/platform_sound_decoder.h"
#include "sound/win32/media_foundation_decoder.h"

namespace zorvik::sound {

std::unique_ptr<SoundDecoder> createPlatformSoundDecoder() {
    return std::make_unique<win32::MediaFoundationDecoder>();
}

}  // namespace zorvik::sound
