// Media Foundation where Windows lacks it: the sound table runs over the decoder it gives.
#include <windows.h>

#include <gtest/gtest.h>

#include "sound/win32/media_foundation.h"
#include "texts/texts.h"

namespace zorvik::testing {
namespace {

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
}  // namespace zorvik::testing
