#pragma once

#include <QMenu>
#include <QWidget>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

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

    std::string popup(std::string_view menuName) override;

    // A control by its design name ("Command3", "Text1", ...), for tests and tools.
    QWidget* control(std::string_view name) const;
    QMenu* popupMenu() const { return menu_; }
    // How often the window's surface counted as repainted, for tests.
    int repaintsRequested() const { return repaintsRequested_; }

    static QIcon icon();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void connectControls();
    void showForm();
    void requestRepaint();

    Form1* form_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> controls_;
    QMenu* menu_ = nullptr;
    std::uint64_t shownRevision_ = 0;
    bool repaintQueued_ = false;
    bool shownOnce_ = false;
    int repaintsRequested_ = 0;
};

}  // namespace gui
}  // namespace zorvik
