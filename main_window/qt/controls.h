#pragma once

#include <QAbstractListModel>
#include <QCheckBox>
#include <QListView>
#include <QPushButton>
#include <functional>
#include <string>
#include <vector>

// Controls that behave as the design's Windows controls do where Qt's differ: captions wrap
// inside the button or box as designed, a greyed box ticks when clicked, and the list reports
// every selection the user makes, from the mouse or the keyboard.
namespace zorvik::gui {

// Enter and keypad Enter press the focused button, as Space does and as on Windows, without
// the button becoming the window's default button.
class WrappingButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

    // Whether the click being handled comes from the mouse: not from the keyboard, nor from any
    // other way of pressing a button (an assistive technology's, a program's).
    bool clickedWithMouse() const { return clickedWithMouse_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool clickedWithMouse_ = false;
};

class WrappingCheckBox final : public QCheckBox {
public:
    explicit WrappingCheckBox(QWidget* parent);
    // Replaces Qt's own cycling: the core decides the next state and the view redraws it.
    void setOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
    void nextCheckState() override;

private:
    std::function<void()> onClick_;
};

// The core's names as a model, each turned into a Qt string only when it is drawn: a folder of
// 100,000 melodies costs one reset, not 100,000 conversions.
class MelodyNamesModel final : public QAbstractListModel {
public:
    // Shows `names` from now on (the core's own list, which outlives the model).
    void show(const std::vector<std::string>* names);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const std::vector<std::string>* names_ = nullptr;
    // The rows as last shown: the core may change its list before it tells the window, and a
    // repaint in between must not read past the end.
    int rows_ = 0;
};

// A view over the core's names: a folder of 100,000 melodies is redrawn in one model reset.
// While it has the focus it always shows where the keyboard is, with a dotted frame around
// that entry (or around the whole list when the keyboard has no place yet), and a name too
// long to show whole is shown whole under the pointer.
class MelodyListWidget final : public QListView {
public:
    explicit MelodyListWidget(QWidget* parent);
    // Called for each entry the user selects, and for a click on the entry already selected.
    void setOnEntryChosen(std::function<void(int row)> onChosen) {
        onChosen_ = std::move(onChosen);
    }
    // Shows these names (nullptr: the same as before) with this row selected and the keyboard
    // at `placeRow` (-1: nowhere, so the first Down selects the first entry), reporting nothing.
    void showEntries(const std::vector<std::string>* names, int selectedRow, int placeRow);

    int count() const { return names_.rowCount(); }
    QString entry(int row) const { return names_.index(row).data().toString(); }
    // The selected row, or -1.
    int selectedRow() const;
    // Selects a row as the user does, reporting it.
    void selectRow(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void forgetCurrentRow();
    // Whether the entry's name is cut short where it is drawn.
    bool isCut(const QModelIndex& index) const;
    // The name as its tip shows it at `at`, on the screen.
    QString tipText(const QString& name, QPoint at) const;

    MelodyNamesModel names_;
    std::function<void(int)> onChosen_;
    bool showing_ = false;
};

}  // namespace zorvik::gui
