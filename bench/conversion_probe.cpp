// The program's conversion, as a process of its own for the conversion benchmark: a sound added
// through the window's core as the user adds it (the dialog's choice, the question answered
// OK), with the decoder the program loads, into the Rings folder of a drive C: of its own. Exits
// 0 once the melody is in place.
#include <cstdio>
#include <filesystem>

#include "sound/platform_sound_decoder.h"
#include "tests/support/posix_form_fixture.h"

namespace {

class Machine final : public zorvik::testing::PosixFormFixture {
public:
    zorvik::sound::SoundDecoder& machineDecoder() override { return *decoder_; }

private:
    std::unique_ptr<zorvik::sound::SoundDecoder> decoder_ =
        zorvik::sound::createPlatformSoundDecoder();
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SOUND\n", argv[0]);
        return 2;
    }
    const std::filesystem::path sound = argv[1];
    Machine machine;
    machine.open();
    machine.addThroughDialog(zorvik::testing::onDriveZ(sound));
    const bool added = machine.box.errors.empty() &&
                       std::filesystem::exists(machine.rings / (sound.stem().string() + ".wav"));
    if (!added) {
        std::fprintf(stderr, "not added: %s\n",
                     machine.box.errors.empty() ? "" : machine.box.errors[0].message.c_str());
    }
    return added ? 0 : 1;
}
