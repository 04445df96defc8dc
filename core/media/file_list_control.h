// The rows of the file list as the list manager sees them: a caption ("#") and two cells
// ("File Name", "Duration") per row, and a selection. The main window's list view implements it.
#pragma once

#include <QString>

class TFileListControl {
public:
    virtual ~TFileListControl() = default;
    virtual int RowCount() const = 0;
    virtual QString RowCaption(int row) const = 0;
    virtual void SetRowCaption(int row, const QString& caption) = 0;
    virtual void AppendRow(const QString& caption, const QString& fileName, const QString& duration) = 0;
    virtual void DeleteRow(int row) = 0;
    virtual void DeleteAllRows() = 0;
    virtual bool IsRowSelected(int row) const = 0;
};
