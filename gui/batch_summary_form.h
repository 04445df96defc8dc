// The message at the end of a batch: how many files were converted, skipped and failed; the failed
// and skipped ones with their reasons and the renamed ones with their new names; the folder that
// holds the results, with buttons to open it and to show a failed file's encoder log.
#pragma once

#include "core/conversion/file_status.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;
class TUserPrompts;

class TBatchSummaryFrm : public QDialog {
    Q_OBJECT
public:
    // opener opens the folder and the logs, so that an opening that fails is handled as anywhere.
    TBatchSummaryFrm(const TBatchSummary& summary, TUserPrompts& opener, QWidget* parent = nullptr);

    QLabel* IconLbl;
    QLabel* HeadlineLbl;
    QTreeWidget* ResultsLvw; // a row for each line of the summary; hidden when there are none
    QLabel* FolderLbl;
    QPushButton* OpenFolderBtn; // shown when the results went to one folder
    QPushButton* ShowLogBtn;    // shown when a failed file has a log; for the selected row
    QPushButton* CloseBtn;

    void OpenFolderBtnClick();
    void ShowLogBtnClick();

private:
    void ResultsLvwSelectItem();
    QString selectedLog() const;

    TBatchSummary m_summary;
    TUserPrompts& m_opener;
};
