// Media Foundation: the sound table over the sounds made on the host before Wine ran (the
// folder's host name comes from the build; a Windows without Wine has no such folder), and a
// Windows without it.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/texts.h"
#include "platform/win32/running_under_wine.h"
#include "platform/win32/wide_text.h"
#include "sound/win32/media_foundation.h"
#include "sound/win32/media_foundation_decoder.h"
#include "tests/contract/sound_decoder_harness.h"

namespace zorvik::testing {

namespace {

std::string soundsFolder() {
    using DosName = WCHAR*(CDECL*)(const char*);
    const auto dosName = reinterpret_cast<DosName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR* name = dosName != nullptr ? dosName(ZORVIK_TEST_SOUNDS) : nullptr;
    if (name == nullptr) {
        return ZORVIK_TEST_SOUNDS;
    }
    std::string folder = win32::toUtf8Lossy(name);
    HeapFree(GetProcessHeap(), 0, name);
    return folder;
}

// An N edition of Windows without the Media Feature Pack: no library to call, only what to
// install.
TEST(MediaFoundation, WithoutItsLibrariesTheReasonSaysWhatToInstall) {
    for (const auto* missing : {L"zorvik-no-mfplat.dll", L"mfplat.dll"}) {
        const win32::MediaFoundationSession session(missing, L"zorvik-no-mfreadwrite.dll");
        ASSERT_FALSE(session.state().ok());
        EXPECT_EQ(session.state().failure().code, ErrorCode::NotAvailable);
        EXPECT_EQ(session.state().failure().message, texts::kMediaFoundationMissing);
    }
}

}  // namespace

std::vector<SoundDecoderBackend> soundDecoderBackends() {
    return {{"MediaFoundation", [] { return std::make_unique<win32::MediaFoundationDecoder>(); },
             [](std::string_view file) { return soundsFolder() + "\\" + std::string(file); },
             std::string(win32::runningUnderWine() ? texts::kSoundNotDecodableUnderWine
                                                   : texts::kSoundNotDecodable)}};
}

}  // namespace zorvik::testing
