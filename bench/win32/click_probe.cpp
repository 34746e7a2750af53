// One process's clicks on a melody, for the click benchmark on Windows:
//   zorvik_bench_win32_click program FILE   the program's player, reached through the services
//                                           of the desktop the build selected
//   zorvik_bench_win32_click floor FILE     the floor: the file handed to Windows at each click
//                                           (PlaySoundW, asynchronous, from the file)
// Once the process has settled it clicks twice, with silence between, and prints a line for
// each click: the counter at the click, and the seconds the click kept its caller waiting.
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench/win32/child_process.h"
#include "main_window/desktop.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr DWORD kSettleMilliseconds = 300;
// the melody's length and the silence after it, before the next click
constexpr DWORD kSoundAndSilenceMilliseconds = 800;

void clickAndWait(const std::function<void()>& click) {
    const long long at = zorvik::bench::counterNow();
    click();
    const long long done = zorvik::bench::counterNow();
    std::printf("%lld %.6f\n", at, zorvik::bench::counterSeconds(done - at));
    std::fflush(stdout);
    Sleep(kSoundAndSilenceMilliseconds);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: zorvik_bench_win32_click program|floor FILE\n", stderr);
        return 2;
    }
    const std::wstring which = argv[1];
    const std::wstring wideFile = argv[2];
    if (which == L"floor") {
        Sleep(kSettleMilliseconds);
        for (int click = 0; click < 2; ++click) {
            clickAndWait([&] {
                PlaySoundW(wideFile.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
            });
        }
        return 0;
    }
    const std::string file = zorvik::win32::toUtf8Lossy(wideFile);
    auto desktop = zorvik::createDesktop(0, nullptr);
    if (!desktop) {
        return 1;
    }
    zorvik::Player& player = desktop->services().player();
    Sleep(kSettleMilliseconds);
    for (int click = 0; click < 2; ++click) {
        clickAndWait([&] {
            player.setFileName(file);
            if (!player.sound().ok()) {
                std::fputs("the player refused the melody\n", stderr);
            }
        });
    }
    return 0;
}
