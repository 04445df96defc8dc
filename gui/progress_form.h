// The modal "Progress" window that carries out one conversion batch: the current file's and the
// batch's progress, the times, Stop and Pause, and under them the queue of listed files with the
// status of each.
#pragma once

#include "core/conversion/batch_conversion.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class TProgressFrm : public QDialog, public TProgressView {
    Q_OBJECT
public:
    TProgressFrm(const QString& programDir, TUserPrompts& prompts, QWidget* parent = nullptr);

    // The batch it carries out when it is shown; set before it is shown.
    void SetRequest(const TBatchRequest& request) { m_request = request; }
    TBatchConversion Batch;

    QLabel* FileNameLabel;
    QLabel* CurrentConversingLabel;
    QProgressBar* FileConversionProgress;
    QLabel* TotalProgressLabel;
    QProgressBar* FilesConversionProgress;
    QPushButton* DoStopBtn;
    QPushButton* DoPauseBtn; // "Pause", and "Resume" while the batch is held
    QLabel* TimeElapsedLabel;
    QLabel* TimeElapsedEdt;
    QLabel* EstimatedTimeLabel;
    QLabel* EstimatedTimeEdt;
    QTimer ExecuteTaskTimer;
    QTreeWidget* QueueLvw; // a row for each listed file: its name and its status

    void FormShow();
    void ExecuteTaskTimerTimer();
    void DoStopBtnClick();
    void DoPauseBtnClick();
    void BatchFinished();
    bool Running() const { return m_running; }

    // TProgressView
    void ShowFileName(const QString& text) override;
    void ShowCurrentConversing(const QString& text) override;
    void ShowFileProgress(int position) override;
    void ShowTotalProgress(int position) override;
    void ShowTotalLabel(const QString& text) override;
    void ShowElapsedLabel(const QString& text) override;
    void ShowEstimatedLabel(const QString& text) override;
    void ShowFileStatus(int index, const TFileStatus& status) override;
    void HideView() override;

signals:
    // Every status shown in the queue, for the file list to show it too.
    void FileStatusShown(int index, const TFileStatus& status);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    TBatchRequest m_request;
    bool m_running = false;
    bool m_started = false;
};
