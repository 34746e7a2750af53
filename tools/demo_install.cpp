// Lays out a demo install folder of the phone program on drive C: so that the window has
// melodies to show on a machine without the phone program. Never touches a folder that exists.
//   zorvik-demo-install DRIVE_C_FOLDER
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/wav_synth.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide_text.h"
#endif

namespace fs = std::filesystem;

namespace {

// Paths are made from UTF-8 and told back in UTF-8 on every host: under MinGW a path made from
// a narrow string would take each byte for a character of the ANSI code page, and its narrow
// form would fail on any letter outside it.
#ifdef _WIN32
fs::path pathOf(std::string_view utf8) {
    return fs::path(zorvik::win32::toWideLossy(utf8));
}
std::string textOf(const fs::path& path) {
    return zorvik::win32::toUtf8Lossy(path.native());
}
#else
fs::path pathOf(std::string_view utf8) {
    return fs::path(utf8);
}
std::string textOf(const fs::path& path) {
    return path.native();
}
#endif

void say(std::FILE* stream, const std::string& line) {
    std::fputs((line + "\n").c_str(), stream);
}

bool writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

int layOut(const fs::path& driveC) {
    const fs::path install = driveC / pathOf("Program Files") / pathOf("Zorvik");
    std::error_code error;
    if (fs::exists(install, error)) {
        say(stdout, "Папката " + textOf(install) + " вече съществува и остава, каквато е.");
        return 0;
    }
    const fs::path rings = install / pathOf("Rings");
    const fs::path deleted = rings / pathOf("Deleted");
    fs::create_directories(deleted, error);
    if (error) {
        say(stderr,
            "Папката " + textOf(deleted) + " не може да бъде създадена: " + error.message());
        return 1;
    }
    const std::vector<std::pair<fs::path, unsigned>> melodies = {
        {rings / pathOf("Звънец.wav"), 1},    {rings / pathOf("Камбанки.wav"), 2},
        {rings / pathOf("Пролет.wav"), 3},    {rings / pathOf("Classic.wav"), 4},
        {rings / pathOf("Morning.wav"), 5},   {rings / pathOf("Office.wav"), 6},
        {deleted / pathOf("Старата.wav"), 7}, {install / pathOf("Phone.wav"), 1},
    };
    for (const auto& [path, seed] : melodies) {
        if (!writeFile(path, zorvik::wav::demoMelody(seed, 1.5))) {
            say(stderr, "Файлът " + textOf(path) + " не може да бъде записан.");
            return 1;
        }
    }
    say(stdout, "Примерната инсталация е в " + textOf(install) + ".");
    return 0;
}

constexpr const char* kUsage = "Употреба: zorvik-demo-install ПАПКА_ЗА_ДИСК_C";

}  // namespace

#ifdef _WIN32
// The wide entry point: the narrow arguments would hold only the ANSI code page's letters.
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    if (argc != 2) {
        say(stderr, kUsage);
        return 2;
    }
    return layOut(fs::path(argv[1]));
}
#else
int main(int argc, char** argv) {
    if (argc != 2) {
        say(stderr, kUsage);
        return 2;
    }
    return layOut(pathOf(argv[1]));
}
#endif
