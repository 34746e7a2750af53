// The fair floor of start-up: the window as designed, built straight with Qt Widgets from the
// design table (caption, icon, the design's fonts, every frame, box, button and the list), its
// list filled from one scan of the Rings folder (bench/floor_scan.h), shown and painted. With
// ZORVIK_FLOOR_SETTINGS naming a settings file, it also reads that file once under a shared lock
// and shows the four values, as the program's opening does. None of the program's own code runs.
#include <sys/file.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QStringListModel>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "bench/first_paint.h"
#include "bench/floor_scan.h"
#include "main_window/form1_layout.h"
#include "main_window/qt/zorvik_icon.xpm"

namespace {

namespace layout = zorvik::layout;

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont designFont(std::string_view family, double pointSize) {
    QFont font;
    font.setFamilies({qt(family), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

QRect pixels(const layout::Control& control) {
    return {layout::toPixels(control.left), layout::toPixels(control.top),
            layout::toPixels(control.width), layout::toPixels(control.height)};
}

// The text of a value line of the settings file, found the plainest way.
std::string valueText(const std::string& file, const std::string& name) {
    const std::size_t at = file.find("\"" + name + "\"=");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + name.size() + 3;
    return file.substr(start, file.find('\n', start) - start);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(qt(layout::kFormCaption));
    window.setWindowIcon(QIcon(QPixmap(zorvik_icon_xpm)));
    window.setFixedSize(layout::toPixels(layout::kClientWidth),
                        layout::toPixels(layout::kClientHeight));
    window.setFont(designFont(layout::kControlFontFamily, layout::kControlFontPointSize));
    std::map<std::string_view, QWidget*> controls;
    for (const auto& control : layout::kControls) {
        if (control.kind == layout::Kind::Frame) {
            controls[control.name] = new QGroupBox(qt(control.caption), &window);
        }
    }
    // the cheapest list Qt has for many names: a view over a list of strings, rows all alike
    QStringListModel names;
    QListView* list = nullptr;
    for (const auto& control : layout::kControls) {
        QWidget* parent = control.container.empty() ? &window : controls.at(control.container);
        QWidget* widget = nullptr;
        switch (control.kind) {
            case layout::Kind::Frame:
                widget = controls.at(control.name);
                break;
            case layout::Kind::CheckBox:
                widget = new QCheckBox(qt(control.caption), parent);
                break;
            case layout::Kind::CommandButton:
                widget = new QPushButton(qt(control.caption), parent);
                break;
            case layout::Kind::TextBox: {
                auto* box = new QLineEdit(qt(control.caption), parent);
                for (const auto& style : layout::kTextBoxStyles) {
                    if (style.name == control.name) {
                        QFont font = designFont(style.fontFamily, style.pointSize);
                        font.setWeight(static_cast<QFont::Weight>(style.weight));
                        font.setItalic(style.italic);
                        box->setFont(font);
                    }
                }
                widget = box;
                break;
            }
            case layout::Kind::FileListBox:
                widget = list = new QListView(parent);
                list->setUniformItemSizes(true);
                list->setModel(&names);
                break;
            case layout::Kind::Multimedia:
                continue;
        }
        widget->setGeometry(pixels(control));
        controls[control.name] = widget;
    }
    const char* drive = std::getenv("ZORVIK_DRIVE_C");
    QStringList scanned;
    for (const auto& name :
         zorvik::bench::scanMelodies(std::string(drive) + "/Program Files/Zorvik/Rings")) {
        scanned.push_back(QString::fromStdString(name));
    }
    names.setStringList(scanned);
    if (const char* settings = std::getenv("ZORVIK_FLOOR_SETTINGS")) {
        const int lock = ::open((std::string(settings) + ".lock").c_str(), O_RDWR | O_CLOEXEC);
        ::flock(lock, LOCK_SH);
        std::ifstream in(settings, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        ::close(lock);
        const std::string file = text.str();
        static_cast<QCheckBox*>(controls.at("Check1"))->setChecked(valueText(file, "Audio") != "");
        static_cast<QCheckBox*>(controls.at("Check2"))
            ->setChecked(valueText(file, "inDeleted") != "");
        const QString ring = QString::fromStdString(valueText(file, "RingSound"));
        static_cast<QLineEdit*>(controls.at("Text1"))->setText(ring);
        static_cast<QLineEdit*>(controls.at("Text2"))->setText(ring);
    }
    window.show();
    return zorvik::bench::reportFirstPaint(window);
}
