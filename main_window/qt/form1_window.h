#pragma once

#include <QMenu>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "main_window/qt/native_window_watch.h"
#include "platform/popup_menu.h"

namespace zorvik {

class Form1;

namespace gui {

// The window Form1 drawn with Qt Widgets exactly as designed, forwarding each event to the
// core and redrawing what the core then holds. It decides nothing itself.
class Form1Window final : public QWidget, public PopupMenu {
public:
    explicit Form1Window(QWidget* parent = nullptr);

    void attach(Form1& form);

    std::string popup(std::string_view menuName, PopupPlace place) override;
    void dismiss() override;

    // A control by its design name ("Command3", "Text1", ...), for tests and tools.
    QWidget* control(std::string_view name) const;
    QMenu* popupMenu() const { return menu_; }
    // How often the window's surface counted as repainted, for tests.
    int repaintsRequested() const;

    static QIcon icon();

    // Closes the window for the system's requests to end the program, with no one at it.
    void closeUnattended();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void connectControls();
    void showForm();
    // A repaint becomes due now and runs from the event loop, or before the user's next input
    // to this window, whichever comes first.
    void requestRepaint();
    bool isInputToThisWindow(QObject* receiver, const QEvent& event) const;

    Form1* form_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> controls_;
    QMenu* menu_ = nullptr;
    std::uint64_t shownRevision_ = 0;
    bool shownOnce_ = false;
    bool closeEventRunning_ = false;
    std::unique_ptr<NativeWindowWatch> nativeWindowWatch_;
};

}  // namespace gui
}  // namespace zorvik
