#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {
namespace {

class Win32Window : public WindowFixture, public ::testing::WithParamInterface<WindowBehaviour> {};

TEST_P(Win32Window, Behaves) {
    GetParam().run(*this);
}

INSTANTIATE_TEST_SUITE_P(Win32, Win32Window, ::testing::ValuesIn(windowBehaviours()),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zorvik::testing
