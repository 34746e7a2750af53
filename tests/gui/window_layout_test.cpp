#include <gtest/gtest.h>

#include <QImage>
#include <QStyle>

#include "tests/gui/window_fixture.h"

namespace zorvik {
namespace {

class WindowLayout : public testing::WindowFixture, public ::testing::Test {};

// Drawn from a picture of its own, the icon is the Windows program's .ico.
TEST_F(WindowLayout, TheIconIsTheWindowsProgramsPicture) {
    auto& window = start().window();
    const QImage ico(ZORVIK_SOURCE_DIR "/main_window/win32/zorvik-melodies.ico");
    ASSERT_FALSE(ico.isNull());
    EXPECT_EQ(ico.convertToFormat(QImage::Format_ARGB32),
              window.windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST_F(WindowLayout, EachClickableControlIsOnTopWhereItIsDrawn) {
    auto& window = start().window();
    for (const char* name : {"Check2", "Command2", "Command1", "Check1", "Command3", "File1"}) {
        QWidget* widget = control(name);
        const QPoint centre = widget->mapTo(&window, widget->rect().center());
        QWidget* hit = window.childAt(centre);
        EXPECT_TRUE(hit == widget || widget->isAncestorOf(hit))
            << name << " is covered by " << (hit ? hit->objectName().toStdString() : "nothing");
    }
    // Text2 lies above Text1 where they overlap
    QWidget* frame3 = control("Frame3");
    EXPECT_EQ(frame3->childAt(QPoint(100, 28)), control("Text2"));
    EXPECT_EQ(frame3->childAt(QPoint(100, 36)), control("Text1"));
}

// A palette with one background for windows, fields and buttons, and one text colour.
QPalette flatPalette(QColor background, QColor text) {
    QPalette palette(text, background);
    for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window}) {
        palette.setColor(role, background);
    }
    for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
        palette.setColor(role, text);
    }
    return palette;
}

// The text boxes in the design's face, or where it is missing the stand-in every other control
// shows; their colours the system's under a high-contrast theme.
TEST_F(WindowLayout, TheTextBoxesHaveTheControlsFamilyAndTheSystemsColoursUnderHighContrast) {
    start();
    struct Expected {
        const char* name;
        QColor text;
    };
    const Expected boxes[] = {{"Text2", QColor(192, 255, 255)}, {"Text1", QColor(128, 128, 128)}};
    for (const auto& e : boxes) {
        EXPECT_EQ(control(e.name)->font().families(), control("Frame2")->font().families())
            << e.name;
    }
    // the theme may change while the program runs; the boxes follow it both ways
    const QPalette before = QApplication::palette();
    struct Theme {
        const char* what;
        QPalette palette;
        bool highContrast;
    };
    QPalette breezeDark = flatPalette(QColor(0x31, 0x36, 0x3b), QColor(0xef, 0xf0, 0xf1));
    breezeDark.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    const Theme themes[] = {
        {"white on black", flatPalette(Qt::black, Qt::white), true},
        {"yellow on black", flatPalette(Qt::black, Qt::yellow), true},
        {"black on white", flatPalette(Qt::white, Qt::black), true},
        {"a grey of 4.5:1 on white", flatPalette(Qt::white, QColor(0x76, 0x76, 0x76)), false},
        {"a dark theme", breezeDark, false},
        {"the style's own", QApplication::style()->standardPalette(), false},
    };
    for (const auto& theme : themes) {
        SCOPED_TRACE(theme.what);
        QApplication::setPalette(theme.palette);
        QApplication::processEvents();  // the widgets hear of it from the event loop
        for (const auto& e : boxes) {
            const QPalette shown = control(e.name)->palette();
            EXPECT_EQ(shown.color(QPalette::Text),
                      theme.highContrast ? theme.palette.color(QPalette::ButtonText) : e.text)
                << e.name;
            EXPECT_EQ(shown.color(QPalette::Base), theme.palette.color(QPalette::Button)) << e.name;
        }
    }
    QApplication::setPalette(before);
    QApplication::processEvents();
    // what stands in for the design's face can show Cyrillic
    const QFontInfo face(control("Frame2")->font());
    EXPECT_TRUE(QFontMetrics(control("Frame2")->font()).inFontUcs4(U'Ж'))
        << face.family().toStdString();
}

TEST_F(WindowLayout, QtsOwnTextsAreBulgarian) {
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toUtf8().toStdString(),
              "Отказ");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open").toUtf8().toStdString(),
              "&Отваряне");
}

}  // namespace
}  // namespace zorvik
