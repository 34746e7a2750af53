// Lays out a demo install folder of the phone program on drive C: so that the window has
// melodies to show on a machine without the phone program. Never touches a folder that exists.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "tools/wav_synth.h"

namespace fs = std::filesystem;

namespace {

bool writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zorvik-demo-install DRIVE_C_FOLDER\n";
        return 2;
    }
    const fs::path install = fs::path(argv[1]) / "Program Files" / "Zorvik";
    std::error_code error;
    if (fs::exists(install, error)) {
        std::cout << "The install folder " << install << " exists already; left as it is.\n";
        return 0;
    }
    const fs::path rings = install / "Rings";
    const fs::path deleted = rings / "Deleted";
    fs::create_directories(deleted, error);
    if (error) {
        std::cerr << "Cannot create " << deleted << ": " << error.message() << '\n';
        return 1;
    }
    const std::vector<std::pair<fs::path, unsigned>> melodies = {
        {rings / "Звънец.wav", 1},    {rings / "Камбанки.wav", 2}, {rings / "Пролет.wav", 3},
        {rings / "Classic.wav", 4},   {rings / "Morning.wav", 5},  {rings / "Office.wav", 6},
        {deleted / "Старата.wav", 7},
    };
    for (const auto& [path, seed] : melodies) {
        if (!writeFile(path, zorvik::wav::demoMelody(seed, 1.5))) {
            std::cerr << "Cannot write " << path << '\n';
            return 1;
        }
    }
    if (!writeFile(install / "Phone.wav", zorvik::wav::demoMelody(1, 1.5))) {
        std::cerr << "Cannot write the ring file\n";
        return 1;
    }
    std::cout << "Demo install laid out in " << install << '\n';
    return 0;
}
