// The file list: a report-style list that takes files dropped from the file manager and lets
// the user drag its own rows into a new order. After a conversion a fourth column shows each
// file's status in place of the duration, until the list changes.
#pragma once

#include "core/media/file_list_control.h"

#include <QStringList>
#include <QTreeWidget>

#include <functional>

class TListBoxDragExt : public QTreeWidget, public TFileListControl {
    Q_OBJECT
public:
    using TDropProc = std::function<void(const QStringList& dropedFiles)>;

    explicit TListBoxDragExt(QWidget* parent = nullptr);

    // Local files dropped from outside, in the order the file manager gives them.
    TDropProc OnDropFile;
    // The window's handler for a drop of the list's own rows (reorder, then renumber).
    std::function<void(int targetRow)> OnDragDrop;
    std::function<void()> OnDeleteKey;

    // A line shown in the empty list saying how to fill it; nothing is shown once a row is there.
    void SetEmptyHint(const QString& hint);
    QString EmptyHint() const { return m_emptyHint; }
    // The hint while the list is empty; empty text otherwise.
    QString ShownHint() const;

    // Moves the selected rows, in their order, to just above targetRow (-1: to the end).
    void MoveSelectedRows(int targetRow);

    // The status cell of a row and its tooltip (over the whole row). The column shows from the
    // first status on; adding, removing or moving rows clears every status and hides it again.
    void SetRowStatus(int row, const QString& text, const QString& toolTip);
    void ClearStatuses();
    QString RowStatus(int row) const;

    int RowCount() const override;
    QString RowCaption(int row) const override;
    void SetRowCaption(int row, const QString& caption) override;
    void AppendRow(const QString& caption, const QString& fileName, const QString& duration) override;
    void DeleteRow(int row) override;
    void DeleteAllRows() override;
    bool IsRowSelected(int row) const override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // The file name takes the width the other columns leave.
    void fitNameColumn();
    // The number and duration columns made as wide as the item's texts, where they are not yet.
    void widenToHold(QTreeWidgetItem* item);

    QString m_emptyHint;
    // The longest number and duration texts the columns were measured for.
    qsizetype m_longestNumber = 0;
    qsizetype m_longestDuration = 0;
};
