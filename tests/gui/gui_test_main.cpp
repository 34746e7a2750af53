// The window's tests run the real Qt widgets on the offscreen platform: no display needed.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "main_window/qt/bulgarian.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    zorvik::prepareApplication(app);
    return RUN_ALL_TESTS();
}
