#include "gui/list_box_drag_ext.h"

#include <QAbstractItemDelegate>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int kNumberColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kDurationColumn = 2;
constexpr int kStatusColumn = 3;
// The least the file name is given when the other columns want the width: beyond that the list
// scrolls sideways.
constexpr int kLeastNameWidth = 70;

} // namespace

TListBoxDragExt::TListBoxDragExt(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(4);
    setHeaderLabels(
        {QStringLiteral("#"), QStringLiteral("File Name"), QStringLiteral("Duration"), QStringLiteral("Status")});
    setHeaderHidden(true);
    setColumnHidden(kStatusColumn, true);
    // The number, the duration and the status are as wide as their texts, whatever the font; the
    // file name takes what is left, down to a least width beyond which the list scrolls sideways.
    header()->setStretchLastSection(false);
    // The number and duration columns grow with each row added (measuring every row again at
    // each add would keep the window from answering while a long list fills); the status
    // column, shown after a conversion, is measured whole.
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setSectionResizeMode(kStatusColumn, QHeaderView::ResizeToContents);
    setColumnWidth(kNumberColumn, 0);
    setColumnWidth(kDurationColumn, 0);
    connect(header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != kNameColumn)
            fitNameColumn();
    });
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

int TListBoxDragExt::RowCount() const
{
    return topLevelItemCount();
}
QString TListBoxDragExt::RowCaption(int row) const
{
    return topLevelItem(row)->text(0);
}
void TListBoxDragExt::SetRowCaption(int row, const QString& caption)
{
    topLevelItem(row)->setText(0, caption);
}

void TListBoxDragExt::AppendRow(const QString& caption, const QString& fileName, const QString& duration)
{
    ClearStatuses();
    auto* item = new QTreeWidgetItem(QStringList{caption, fileName, duration});
    addTopLevelItem(item);
    widenToHold(item);
}

void TListBoxDragExt::widenToHold(QTreeWidgetItem* item)
{
    for (int column : {kNumberColumn, kDurationColumn}) {
        // Numbers and durations are digits of one width: only a longer text can need more room.
        qsizetype& longest = column == kNumberColumn ? m_longestNumber : m_longestDuration;
        if (item->text(column).size() <= longest)
            continue;
        longest = item->text(column).size();
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const int width = itemDelegate()->sizeHint(option, indexFromItem(item, column)).width();
        if (width > columnWidth(column))
            setColumnWidth(column, width);
    }
}

void TListBoxDragExt::DeleteRow(int row)
{
    ClearStatuses();
    delete takeTopLevelItem(row);
}
void TListBoxDragExt::DeleteAllRows()
{
    ClearStatuses();
    clear();
    m_longestNumber = 0;
    m_longestDuration = 0;
    setColumnWidth(kNumberColumn, 0);
    setColumnWidth(kDurationColumn, 0);
}

void TListBoxDragExt::SetRowStatus(int row, const QString& text, const QString& toolTip)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    if (isColumnHidden(kStatusColumn)) {
        // The duration, also in the file-info panel, gives its place to the status.
        setColumnHidden(kDurationColumn, true);
        setColumnHidden(kStatusColumn, false);
        fitNameColumn();
    }
    item->setText(kStatusColumn, text);
    for (int column = 0; column < columnCount(); ++column)
        item->setToolTip(column, toolTip);
}

void TListBoxDragExt::ClearStatuses()
{
    if (isColumnHidden(kStatusColumn))
        return;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        item->setText(kStatusColumn, QString());
        for (int column = 0; column < columnCount(); ++column)
            item->setToolTip(column, QString());
    }
    setColumnHidden(kStatusColumn, true);
    setColumnHidden(kDurationColumn, false);
    fitNameColumn();
}

void TListBoxDragExt::fitNameColumn()
{
    int others = 0;
    for (int column = 0; column < columnCount(); ++column) {
        if (column != kNameColumn && !isColumnHidden(column))
            others += columnWidth(column);
    }
    const int width = std::max(kLeastNameWidth, viewport()->width() - others);
    if (columnWidth(kNameColumn) != width)
        setColumnWidth(kNameColumn, width);
}

bool TListBoxDragExt::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        fitNameColumn();
    return QTreeWidget::viewportEvent(event);
}

void TListBoxDragExt::SetEmptyHint(const QString& hint)
{
    m_emptyHint = hint;
    viewport()->update();
}

QString TListBoxDragExt::ShownHint() const
{
    return topLevelItemCount() == 0 ? m_emptyHint : QString();
}

void TListBoxDragExt::paintEvent(QPaintEvent* event)
{
    QTreeWidget::paintEvent(event);
    const QString hint = ShownHint();
    if (hint.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int margin = fontMetrics().height();
    painter.drawText(viewport()->rect().adjusted(margin, margin, -margin, -margin), Qt::AlignCenter | Qt::TextWordWrap,
                     hint);
}

QString TListBoxDragExt::RowStatus(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(kStatusColumn) : QString();
}
bool TListBoxDragExt::IsRowSelected(int row) const
{
    return topLevelItem(row)->isSelected();
}

void TListBoxDragExt::MoveSelectedRows(int targetRow)
{
    ClearStatuses();
    QTreeWidgetItem* target = targetRow >= 0 ? topLevelItem(targetRow) : nullptr;
    QList<QTreeWidgetItem*> moving;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected())
            moving.append(topLevelItem(row));
    }
    for (QTreeWidgetItem* item : moving) {
        if (item == target)
            continue; // a row dropped onto itself stays where it is
        auto* copy = new QTreeWidgetItem(QStringList{item->text(0), item->text(1), item->text(2)});
        const int at = target ? indexOfTopLevelItem(target) : topLevelItemCount();
        insertTopLevelItem(at, copy);
        delete takeTopLevelItem(indexOfTopLevelItem(item));
    }
}

void TListBoxDragExt::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this || event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TListBoxDragExt::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->source() == this || event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TListBoxDragExt::dropEvent(QDropEvent* event)
{
    if (event->source() == this) {
        QTreeWidgetItem* target = itemAt(event->position().toPoint());
        const int targetRow = target ? indexOfTopLevelItem(target) : -1;
        // The move is done here, not by the view, so the rows stay bound to their files.
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (OnDragDrop)
            OnDragDrop(targetRow);
        return;
    }
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    if (OnDropFile && !files.isEmpty())
        OnDropFile(files);
}

void TListBoxDragExt::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && OnDeleteKey) {
        OnDeleteKey();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
