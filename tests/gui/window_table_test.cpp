#include <gtest/gtest.h>

#include "tests/gui/window_fixture.h"

namespace zorvik::testing {
namespace {

class QtWindow : public WindowFixture, public ::testing::TestWithParam<WindowBehaviour> {};

TEST_P(QtWindow, Behaves) {
    GetParam().run(*this);
}

INSTANTIATE_TEST_SUITE_P(Qt, QtWindow, ::testing::ValuesIn(windowBehaviours()),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zorvik::testing
