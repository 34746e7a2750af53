#include "main_window/qt/controls.h"

#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolTip>

#include "main_window/tip_lines.h"

namespace zorvik::gui {

namespace {
constexpr int kTextFlags = Qt::AlignCenter | Qt::TextWordWrap;
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (isDown()) {
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.drawItemText(area, kTextFlags, palette(), isEnabled(), caption, QPalette::ButtonText);
}

void WrappingButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // a held key clicks once: each click may open a box, which then takes the repeats
    if (!event->isAutoRepeat()) {
        click();
    }
    event->accept();
}

void WrappingButton::mouseReleaseEvent(QMouseEvent* event) {
    // the release is what clicks
    const QScopedValueRollback fromMouse(clickedWithMouse_, true);
    QPushButton::mouseReleaseEvent(event);
}

WrappingCheckBox::WrappingCheckBox(QWidget* parent) : QCheckBox(parent) {
    setTristate(true);
}

void WrappingCheckBox::nextCheckState() {
    if (onClick_) {
        onClick_();
    } else {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    QRect indicator = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    indicator.moveTop((height() - indicator.height()) / 2);
    QStyleOptionButton box = option;
    box.rect = indicator;
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);
    const int gap = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
    const QRect area = rect().adjusted(indicator.right() + 1 + gap, 0, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    painter.drawItemText(area, flags, palette(), isEnabled(), text(), QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.fontMetrics().boundingRect(area, flags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void MelodyNamesModel::show(const std::vector<std::string>* names) {
    beginResetModel();
    names_ = names;
    rows_ = names != nullptr ? static_cast<int>(names->size()) : 0;
    endResetModel();
}

int MelodyNamesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant MelodyNamesModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || names_ == nullptr || index.row() < 0 ||
        index.row() >= rows_ || static_cast<std::size_t>(index.row()) >= names_->size()) {
        return {};
    }
    const std::string& name = (*names_)[static_cast<std::size_t>(index.row())];
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

MelodyListWidget::MelodyListWidget(QWidget* parent) : QListView(parent) {
    setModel(&names_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);  // a folder of many melodies lays out at once
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (showing_ || !onChosen_) {
            return;
        }
        const int row = selectedRow();
        if (row >= 0) {
            onChosen_(row);
        }
    });
}

int MelodyListWidget::selectedRow() const {
    const auto rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void MelodyListWidget::selectRow(int row) {
    setCurrentIndex(names_.index(row));
}

void MelodyListWidget::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool alreadySelected = index.isValid() && selectionModel()->isSelected(index);
    QListView::mousePressEvent(event);
    // a second click on the same melody plays it again
    if (alreadySelected && event->button() == Qt::LeftButton && onChosen_) {
        onChosen_(index.row());
    }
}

QItemSelectionModel::SelectionFlags MelodyListWidget::selectionCommand(const QModelIndex& index,
                                                                       const QEvent* event) const {
    // the user can move the selection but never clear it, as in a Windows file list: a click
    // beside the names leaves it
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    auto flags = QListView::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
        flags = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    }
    return flags;
}

void MelodyListWidget::showEntries(const std::vector<std::string>* names, int selectedRow,
                                   int placeRow) {
    showing_ = true;
    if (names != nullptr) {
        const int scrolled = verticalScrollBar()->value();
        names_.show(names);
        verticalScrollBar()->setValue(scrolled);
    }
    if (selectedRow >= 0 && selectedRow < count()) {
        selectionModel()->setCurrentIndex(names_.index(selectedRow),
                                          QItemSelectionModel::ClearAndSelect);
    } else {
        clearSelection();
        if (placeRow >= 0 && placeRow < count()) {
            selectionModel()->setCurrentIndex(names_.index(placeRow),
                                              QItemSelectionModel::NoUpdate);
        } else {
            forgetCurrentRow();
        }
    }
    showing_ = false;
}

void MelodyListWidget::forgetCurrentRow() {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void MelodyListWidget::focusInEvent(QFocusEvent* event) {
    const bool hadPlace = currentIndex().isValid();
    QListView::focusInEvent(event);
    // Qt makes the first row current on focus, so the first Down would skip it; as in a
    // Windows list, with no place yet the first Down selects the first melody
    if (!hadPlace) {
        forgetCurrentRow();
    }
    viewport()->update();  // the focus frame may go round the whole list
}

void MelodyListWidget::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

void MelodyListWidget::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    // The styles draw their focus cue only after Tab was used, and never where no entry is
    // current; the user must see at all times where the arrow keys go on from.
    const QModelIndex place = currentIndex();
    const bool onEntry = place.isValid();
    const QRect frame = (onEntry ? visualRect(place) : viewport()->rect()).adjusted(0, 0, -1, -1);
    const bool selected = onEntry && selectionModel()->isSelected(place);
    QPainter painter(viewport());
    QPen pen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(frame);
}

void MelodyListWidget::scrollContentsBy(int dx, int dy) {
    QListView::scrollContentsBy(dx, dy);
    // the scroll moved the pixels drawn, a frame round the whole list with them
    if (hasFocus() && !currentIndex().isValid()) {
        viewport()->update();
    }
}

bool MelodyListWidget::isCut(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return itemDelegateForIndex(index)->sizeHint(option, index).width() >
           viewport()->width() - horizontalOffset() - visualRect(index).left();
}

QString MelodyListWidget::tipText(const QString& name, QPoint at) const {
    // no wider than half the screen it shows on, so that it stays on it whole
    const QScreen* shownOn = QGuiApplication::screenAt(at);
    const QRect area = (shownOn != nullptr ? shownOn : screen())->availableGeometry();
    const QFontMetrics metrics(QToolTip::font());
    const auto lines = tipLines(name.toStdString(), area.width() / 2, [&](std::string_view piece) {
        return metrics.horizontalAdvance(
            QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
    });
    QStringList shown;
    for (const auto& line : lines) {
        shown << QString::fromStdString(line);
    }
    return shown.join(QLatin1Char('\n'));
}

bool MelodyListWidget::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid() && isCut(index)) {
            QToolTip::showText(help->globalPos(),
                               tipText(index.data().toString(), help->globalPos()), viewport(),
                               visualRect(index));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QListView::viewportEvent(event);
}

}  // namespace zorvik::gui
