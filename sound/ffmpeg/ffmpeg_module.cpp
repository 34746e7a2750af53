// The module that holds FFmpeg's libraries (decoder_module.h says why it is one of its own).
#include "sound/ffmpeg/decoder_module.h"
#include "sound/ffmpeg/ffmpeg_decoder.h"

extern "C" __attribute__((visibility("default"))) zorvik::sound::SoundDecoder*
zorvik_create_sound_decoder() {
    return new zorvik::sound::FfmpegDecoder();
}
