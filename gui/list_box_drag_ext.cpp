#include "gui/list_box_drag_ext.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace {

constexpr int kStatusColumn = 3;
// The file name's width alone, and beside the status column.
constexpr int kNameWidth = 183;
constexpr int kNameWidthWithStatus = 120;

} // namespace

TListBoxDragExt::TListBoxDragExt(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(4);
    setHeaderLabels(
        {QStringLiteral("#"), QStringLiteral("File Name"), QStringLiteral("Duration"), QStringLiteral("Status")});
    setHeaderHidden(true);
    setColumnWidth(0, 20);
    setColumnWidth(1, kNameWidth);
    setColumnWidth(2, 60);
    setColumnHidden(kStatusColumn, true);
    // A status as wide as its text: the list scrolls sideways to show a long reason whole.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(kStatusColumn, QHeaderView::ResizeToContents);
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
    addTopLevelItem(new QTreeWidgetItem(QStringList{caption, fileName, duration}));
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
}

void TListBoxDragExt::SetRowStatus(int row, const QString& text, const QString& toolTip)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    if (isColumnHidden(kStatusColumn)) {
        setColumnWidth(1, kNameWidthWithStatus);
        setColumnHidden(kStatusColumn, false);
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
    setColumnWidth(1, kNameWidth);
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
