#include "main_window/qt/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <cmath>
#include <utility>

#include "main_window/accessible_texts.h"
#include "main_window/qt/form1_window.h"

namespace zorvik::gui {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAccessibleInterface* programWindowAsFrame(const QString&, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (!widget->isWindow() || widget->objectName() != qt(layout::kFormName)) {
        return nullptr;
    }
    return new QAccessibleWidget(widget, QAccessible::Window);
}

void describe(QWidget* widget, std::string_view control, MelodyView view) {
    if (widget == nullptr) {
        return;
    }
    const QString name = qt(accessible::textOf(control, view).name);
    // an empty name leaves the control to be named by its caption
    if (!name.isEmpty() && widget->accessibleName() != name) {
        widget->setAccessibleName(name);
    }
    const QString description = qt(accessible::textOf(control, view).description);
    if (widget->accessibleDescription() != description) {
        widget->setAccessibleDescription(description);
    }
}

// The relative luminance of WCAG 2, from which contrast ratios are reckoned.
double luminance(const QColor& colour) {
    const auto linear = [](float channel) {
        return channel <= 0.04045f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& first, const QColor& second) {
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

void applyTextBoxColours(QLineEdit& box, const layout::TextBoxStyle& style) {
    // from the application's palette, so that a change of theme is taken up whole
    QPalette colours = QApplication::palette(&box);
    const QColor buttonFace = colours.color(QPalette::Button);
    const auto designed = layout::textColourOf(style, isHighContrast(colours));
    const QColor text = designed ? QColor(designed->red, designed->green, designed->blue)
                                 : colours.color(QPalette::ButtonText);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Text, text);
        colours.setColor(group, QPalette::Base, buttonFace);
        colours.setColor(group, QPalette::Window, buttonFace);
    }
    box.setPalette(colours);
}

// Colours a text box anew whenever the application's palette changes (the desktop's theme
// switched to high contrast or back). The news comes to the window: a widget with a palette of
// its own, as the box has, is not told.
class TextBoxColours final : public QObject {
public:
    TextBoxColours(QLineEdit& box, const layout::TextBoxStyle& style)
        : QObject(&box), box_(box), style_(style) {
        box.window()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box_.window() && event->type() == QEvent::ApplicationPaletteChange) {
            applyTextBoxColours(box_, style_);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit& box_;
    const layout::TextBoxStyle& style_;
};

}  // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(programWindowAsFrame);
        return true;
    }();
    (void)installed;
}

void describeForScreenReaders(Form1Window& window, MelodyView view) {
    installAccessibleRoles();
    describe(&window, layout::kFormName, view);
    for (const auto& control : layout::kControls) {
        describe(window.control(control.name), control.name, view);
    }
    describe(window.popupMenu(), layout::kMenuName, view);
}

bool isHighContrast(const QPalette& palette) {
    constexpr double kDarkest = 0.003;  // about #0a0a0a
    constexpr double kLightest = 0.97;  // about #fbfbfb
    constexpr double kLeastContrast = 7.0;
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> surfaces[] = {
        {QPalette::Window, QPalette::WindowText},
        {QPalette::Base, QPalette::Text},
        {QPalette::Button, QPalette::ButtonText},
    };
    return std::all_of(std::begin(surfaces), std::end(surfaces), [&](const auto& surface) {
        const QColor background = palette.color(QPalette::Active, surface.first);
        const double light = luminance(background);
        return (light <= kDarkest || light >= kLightest) &&
               contrastRatio(background, palette.color(QPalette::Active, surface.second)) >=
                   kLeastContrast;
    });
}

void colourTextBox(QLineEdit& box, const layout::TextBoxStyle& style) {
    applyTextBoxColours(box, style);
    new TextBoxColours(box, style);
}

}  // namespace zorvik::gui
