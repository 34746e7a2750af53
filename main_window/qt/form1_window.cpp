#include "main_window/qt/form1_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "main_window/form1.h"
#include "main_window/form1_layout.h"
#include "main_window/qt/accessibility.h"
#include "main_window/qt/controls.h"
#include "main_window/qt/zorvik_icon.xpm"

namespace zorvik::gui {

namespace {

QString qt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect pixelRect(const layout::Control& control) {
    return {layout::toPixels(control.left), layout::toPixels(control.top),
            layout::toPixels(control.width), layout::toPixels(control.height)};
}

Qt::CheckState checkStateOf(std::int16_t value) {
    switch (value) {
        case CheckBox::kTicked:
            return Qt::Checked;
        case CheckBox::kGreyed:
            return Qt::PartiallyChecked;
        default:
            return Qt::Unchecked;
    }
}

// The face where it exists, else one of the same metrics with Cyrillic (Liberation Sans is
// metric-compatible with Arial, as MS Sans Serif nearly is), else any sans serif. Given the list,
// Qt asks fontconfig for substitutes of each missing family and for the fallbacks of the one it
// finds, for every face: most of what the designed window costs over a bare one on X11. The
// first family installed is the one Qt would pick, so it is looked up by name and named alone.
QFont designFont(std::string_view family, double pointSize) {
    const QStringList wanted{qt(family),
                             QStringLiteral("Microsoft Sans Serif"),
                             QStringLiteral("Liberation Sans"),
                             QStringLiteral("Arimo"),
                             QStringLiteral("Arial"),
                             QStringLiteral("DejaVu Sans")};
    // the installed families are read once: the window asks for three faces as it opens
    static const QStringList installed = QFontDatabase::families();
    const auto found = std::find_if(wanted.begin(), wanted.end(), [&](const QString& name) {
        return installed.contains(name, Qt::CaseInsensitive);
    });
    QFont font;
    font.setFamilies(found == wanted.end() ? wanted : QStringList{*found});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    return font;
}

void styleTextBox(QLineEdit& box, const layout::TextBoxStyle& style) {
    QFont font = designFont(style.fontFamily, style.pointSize);
    font.setWeight(static_cast<QFont::Weight>(style.weight));
    font.setItalic(style.italic);
    box.setFont(font);
    colourTextBox(box, style);
    box.setAutoFillBackground(true);
    box.setFrame(false);
    box.setTextMargins(0, 0, 0, 0);
    box.setContentsMargins(0, 0, 0, 0);
    // nothing reads the boxes back: they show the name, and let it be selected and copied
    box.setReadOnly(true);
    box.setFocusPolicy(Qt::TabFocus);
}

}  // namespace

QIcon Form1Window::icon() {
    return QIcon(QPixmap(zorvik_icon_xpm));
}

Form1Window::Form1Window(QWidget* parent) : QWidget(parent) {
    setObjectName(qt(layout::kFormName));
    setWindowTitle(qt(layout::kFormCaption));
    setWindowIcon(icon());
    // a fixed layout that no code moves: a larger window would only show empty space
    setFixedSize(layout::toPixels(layout::kClientWidth), layout::toPixels(layout::kClientHeight));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFont(designFont(layout::kControlFontFamily, layout::kControlFontPointSize));
    // A line edit lays its text out in the application's font before it takes its own: built
    // while that font is the design's, the controls load no face that nothing shows (a face
    // costs fontconfig's fallbacks and a font file). Set back, the application's font is the
    // same, though Qt then no longer follows a change of the theme's font while the program runs.
    const QFont applicationFont = QApplication::font();
    QApplication::setFont(font());
    build();
    QApplication::setFont(applicationFont);
}

void Form1Window::build() {
    // containers first, so that their controls have a parent to go in
    for (const auto& control : layout::kControls) {
        if (control.kind == layout::Kind::Frame) {
            auto* frame = new QGroupBox(qt(control.caption), this);
            frame->setFocusPolicy(Qt::NoFocus);
            controls_.emplace(control.name, frame);
        }
    }
    for (const auto& control : layout::kControls) {
        QWidget* parent =
            control.container.empty() ? this : controls_.at(std::string(control.container));
        QWidget* widget = nullptr;
        switch (control.kind) {
            case layout::Kind::Frame:
                widget = controls_.at(std::string(control.name));
                break;
            case layout::Kind::CheckBox: {
                auto* box = new WrappingCheckBox(parent);
                box->setText(qt(control.caption));
                widget = box;
                break;
            }
            case layout::Kind::CommandButton: {
                auto* button = new WrappingButton(qt(control.caption), parent);
                button->setAutoDefault(false);
                button->setDefault(false);
                widget = button;
                break;
            }
            case layout::Kind::TextBox: {
                auto* box = new QLineEdit(qt(control.caption), parent);
                for (const auto& style : layout::kTextBoxStyles) {
                    if (style.name == control.name) {
                        styleTextBox(*box, style);
                    }
                }
                widget = box;
                break;
            }
            case layout::Kind::FileListBox:
                widget = new MelodyListWidget(parent);
                break;
            case layout::Kind::Multimedia:
                // the player has no face; its rectangle is kept as designed, never shown
                widget = new QWidget(parent);
                widget->setFocusPolicy(Qt::NoFocus);
                break;
        }
        widget->setObjectName(qt(control.name));
        widget->setGeometry(pixelRect(control));
        widget->setVisible(control.visible);
        controls_.emplace(control.name, widget);
    }
    // stacking: the table lists each container's controls topmost first
    for (auto it = layout::kControls.rbegin(); it != layout::kControls.rend(); ++it) {
        controls_.at(std::string(it->name))->raise();
    }
    std::vector<const layout::Control*> byTabIndex;
    for (const auto& control : layout::kControls) {
        if (controls_.at(std::string(control.name))->focusPolicy() != Qt::NoFocus) {
            byTabIndex.push_back(&control);
        }
    }
    std::sort(byTabIndex.begin(), byTabIndex.end(),
              [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    for (std::size_t i = 1; i < byTabIndex.size(); ++i) {
        setTabOrder(controls_.at(std::string(byTabIndex[i - 1]->name)),
                    controls_.at(std::string(byTabIndex[i]->name)));
    }

    // the hidden menu v: never in a menu bar, only a popup of Command1
    menu_ = new QMenu(qt(layout::kMenuCaption), this);
    menu_->setObjectName(qt(layout::kMenuName));
    for (const auto& item : layout::kMenuItems) {
        QAction* action = menu_->addAction(qt(item.caption));
        action->setObjectName(qt(item.name));
    }
    describeForScreenReaders(*this, MelodyView::Rings);
    // the expose events of the native window tell when its surface is drawn anew
    winId();
    windowHandle()->installEventFilter(this);
    // and the user's input to any control is seen before that control handles it
    QApplication::instance()->installEventFilter(this);
}

QWidget* Form1Window::control(std::string_view name) const {
    const auto found = controls_.find(name);
    return found == controls_.end() ? nullptr : found->second;
}

void Form1Window::attach(Form1& form) {
    form_ = &form;
    form.setChangeListener([this] { showForm(); });
    // inside closeEvent the window is closing already: the event is accepted there
    form.setCloseListener([this] {
        if (!closeEventRunning_) {
            close();
        }
    });
    nativeWindowWatch_ = std::make_unique<NativeWindowWatch>(
        *this,
        [this] {
            if (form_ != nullptr && !form_->closed()) {
                form_->windowDestroyed();
                // the loops of any box still open end too; there is no window left to close
                QCoreApplication::exit(0);
            }
        },
        // from the event loop, as Qt's own close event comes; a close of the window's own is
        // let through the dialog's modality
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { close(); }, Qt::QueuedConnection);
        });
    connectControls();
    showForm();
}

void Form1Window::connectControls() {
    auto* list = static_cast<MelodyListWidget*>(control("File1"));
    list->setOnEntryChosen([this, list](int row) {
        form_->entryChosen(static_cast<std::size_t>(row), list->entry(row).toStdString());
    });
    static_cast<WrappingCheckBox*>(control("Check1"))->setOnClick([this] { form_->clickCheck1(); });
    static_cast<WrappingCheckBox*>(control("Check2"))->setOnClick([this] { form_->clickCheck2(); });
    const auto button = [this](const char* name) {
        return static_cast<QPushButton*>(control(name));
    };
    auto* command1 = static_cast<WrappingButton*>(control("Command1"));
    connect(command1, &QPushButton::clicked, this, [this, command1] {
        form_->Command1_Click(command1->clickedWithMouse() ? Form1::PressedWith::Mouse
                                                           : Form1::PressedWith::Keyboard);
    });
    connect(button("Command2"), &QPushButton::clicked, this, [this] { form_->Command2_Click(); });
    connect(button("Command3"), &QPushButton::clicked, this, [this] { form_->Command3_Click(); });
}

void Form1Window::showForm() {
    if (form_ == nullptr) {
        return;
    }
    const FormPicture picture = form_->picture();
    static_cast<QCheckBox*>(control("Check1"))->setCheckState(checkStateOf(picture.check1));
    static_cast<QCheckBox*>(control("Check2"))->setCheckState(checkStateOf(picture.check2));
    static_cast<QLineEdit*>(control("Text1"))->setText(qt(picture.text1));
    static_cast<QLineEdit*>(control("Text2"))->setText(qt(picture.text2));
    static_cast<QPushButton*>(control("Command3"))->setText(qt(picture.command3Caption));
    describeForScreenReaders(*this, picture.view);

    const bool namesChanged = picture.namesRevision != shownRevision_;
    shownRevision_ = picture.namesRevision;
    const auto row = [](std::optional<std::size_t> index) {
        return index ? static_cast<int>(*index) : -1;
    };
    static_cast<MelodyListWidget*>(control("File1"))
        ->showEntries(namesChanged ? picture.names : nullptr, row(picture.marked),
                      row(picture.place));
}

std::string Form1Window::popup(std::string_view menuName, PopupPlace place) {
    if (menuName != layout::kMenuName) {
        return {};
    }
    const QWidget* below = control(place.belowControl);
    const QPoint at =
        below != nullptr ? below->mapToGlobal(QPoint(0, below->height())) : QCursor::pos();
    const QAction* chosen = menu_->exec(at);
    return chosen != nullptr ? chosen->objectName().toStdString() : std::string();
}

void Form1Window::dismiss() {
    if (menu_->isVisible()) {
        menu_->close();
    }
}

bool Form1Window::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && form_ != nullptr &&
        form_->activationRepaints()) {
        requestRepaint();
    }
    if (event->type() == QEvent::Show && !shownOnce_) {
        shownOnce_ = true;
        control("File1")->setFocus(Qt::ActiveWindowFocusReason);  // the lowest tab index
        if (form_ != nullptr) {
            form_->showing();
        }
    }
    return QWidget::event(event);
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QApplication::instance() && event->type() == QEvent::Quit && isVisible()) {
        // the desktop session ending (the session manager's "die") comes as a quit: it closes
        // the window as a signal does, and the program ends once the window has closed
        closeUnattended();
        return true;
    }
    if (watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        if (form_ != nullptr && form_->exposureRepaints()) {
            requestRepaint();
        } else if (form_ != nullptr) {
            // the exposures of one showing come in one batch, ahead of what is queued now
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (form_ != nullptr) {
                        form_->showingExposed();
                    }
                },
                Qt::QueuedConnection);
        }
    } else if (form_ != nullptr && form_->isRepaintDue() && isInputToThisWindow(watched, *event)) {
        // The click or key that brings the window back comes in the same batch as the
        // activation it causes: the repaint goes first, or it would undo what the input did.
        form_->runDueRepaint();
    }
    return QWidget::eventFilter(watched, event);
}

bool Form1Window::isInputToThisWindow(QObject* receiver, const QEvent& event) const {
    switch (event.type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            break;
        default:
            return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    return widget != nullptr && (widget == this || isAncestorOf(widget));
}

int Form1Window::repaintsRequested() const {
    return form_ != nullptr ? form_->dueRepaintsRun() : 0;
}

void Form1Window::requestRepaint() {
    // a burst of expose and activation events counts as one repaint of the surface
    if (form_ == nullptr || form_->isRepaintDue()) {
        return;
    }
    form_->markRepaintDue();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (form_ != nullptr) {
                form_->runDueRepaint();
            }
        },
        Qt::QueuedConnection);
}

void Form1Window::closeEvent(QCloseEvent* event) {
    // the core decides when: at once between handlers, else once the handler has ended
    if (form_ != nullptr && !form_->closed()) {
        const QScopedValueRollback inEvent(closeEventRunning_, true);
        form_->requestClose();
    }
    if (form_ != nullptr && !form_->closed()) {
        event->ignore();
    } else {
        event->accept();
    }
}

void Form1Window::closeUnattended() {
    if (form_ == nullptr) {
        close();
        return;
    }
    form_->requestCloseUnattended();
}

}  // namespace zorvik::gui
