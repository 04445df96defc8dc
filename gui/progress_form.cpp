#include "gui/progress_form.h"

#include "core/media/file_utils.h"
#include "gui/form_helpers.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kQueueHeight = 130;

QProgressBar* bar(QWidget* parent, const QString& name, int left, int top)
{
    auto* b = new QProgressBar(parent);
    b->setObjectName(name);
    b->setGeometry(left, top, 457, 17);
    b->setRange(0, 100);
    b->setValue(0);
    b->setTextVisible(false);
    return b;
}

void setText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

} // namespace

TProgressFrm::TProgressFrm(const QString& programDir, TUserPrompts& prompts, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), Batch(programDir, prompts)
{
    setWindowTitle(QStringLiteral("Progress"));
    // The queue takes the space below the times.
    setFixedSize(505, 237 + kQueueHeight + 12);
    FileNameLabel = placedLabel(this, QStringLiteral("FileNameLabel"), QString(), 24, 24);
    FileNameLabel->setFixedWidth(177);
    CurrentConversingLabel = placedLabel(this, QStringLiteral("CurrentConversingLabel"), QString(), 216, 24);
    FileConversionProgress = bar(this, QStringLiteral("FileConversionProgress"), 24, 43);
    FileConversionProgress->setAccessibleName(QStringLiteral("Progress of the current file"));
    TotalProgressLabel = placedLabel(this, QStringLiteral("TotalProgressLabel"), QString(), 216, 88);
    FilesConversionProgress = bar(this, QStringLiteral("FilesConversionProgress"), 24, 107);
    FilesConversionProgress->setAccessibleName(QStringLiteral("Progress of all files"));
    DoStopBtn = new QPushButton(QStringLiteral("Stop"), this);
    DoStopBtn->setObjectName(QStringLiteral("DoStopBtn"));
    DoStopBtn->setGeometry(200, 144, 99, 41);
    DoStopBtn->setAccessibleDescription(QStringLiteral("Stops the conversion; the file being converted is not kept"));
    TimeElapsedLabel = placedLabel(this, QStringLiteral("TimeElapsedLabel"), QStringLiteral("Time Elapsed:"), 24, 206);
    TimeElapsedEdt = placedLabel(this, QStringLiteral("TimeElapsedEdt"), QString(), 96, 206);
    EstimatedTimeLabel =
        placedLabel(this, QStringLiteral("EstimatedTimeLabel"), QStringLiteral("Estimated Time:"), 192, 206);
    EstimatedTimeEdt = placedLabel(this, QStringLiteral("EstimatedTimeEdt"), QString(), 274, 206);
    DoPauseBtn = new QPushButton(QStringLiteral("Pause"), this);
    DoPauseBtn->setObjectName(QStringLiteral("DoPauseBtn"));
    DoPauseBtn->setGeometry(306, 144, 99, 41);
    DoPauseBtn->setEnabled(false);
    DoPauseBtn->setAccessibleDescription(QStringLiteral("Holds the conversion until Resume"));
    QueueLvw = new QTreeWidget(this);
    QueueLvw->setObjectName(QStringLiteral("QueueLvw"));
    QueueLvw->setAccessibleName(QStringLiteral("Files of the batch"));
    QueueLvw->setGeometry(24, 237, 457, kQueueHeight);
    QueueLvw->setColumnCount(2);
    QueueLvw->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Status")});
    QueueLvw->setColumnWidth(0, 200);
    QueueLvw->setRootIsDecorated(false);
    QueueLvw->setSelectionMode(QAbstractItemView::NoSelection);
    QueueLvw->setFocusPolicy(Qt::NoFocus);

    ExecuteTaskTimer.setInterval(100);
    ExecuteTaskTimer.setSingleShot(true);
    connect(&ExecuteTaskTimer, &QTimer::timeout, this, &TProgressFrm::ExecuteTaskTimerTimer);
    connect(DoStopBtn, &QPushButton::clicked, this, &TProgressFrm::DoStopBtnClick);
    connect(DoPauseBtn, &QPushButton::clicked, this, &TProgressFrm::DoPauseBtnClick);
    ConnectProgressView(Batch, *this);
    connect(&Batch, &TBatchConversion::finished, this, &TProgressFrm::BatchFinished);
}

void TProgressFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        FormShow();
    }
}

void TProgressFrm::FormShow()
{
    ExecuteTaskTimer.start();
}

void TProgressFrm::ExecuteTaskTimerTimer()
{
    ExecuteTaskTimer.stop();
    m_running = true;
    DoPauseBtn->setEnabled(true);
    Batch.Start(m_request);
}

void TProgressFrm::BatchFinished()
{
    DoPauseBtn->setEnabled(false);
    DoPauseBtn->setAccessibleDescription(QStringLiteral("Holds the conversion until Resume"));
    m_running = false;
    accept();
}

void TProgressFrm::DoStopBtnClick()
{
    Batch.Stop();
    DoPauseBtn->setText(QStringLiteral("Pause"));
    DoPauseBtn->setEnabled(false);
    DoPauseBtn->setAccessibleDescription(QStringLiteral("Holds the conversion until Resume"));
}

void TProgressFrm::DoPauseBtnClick()
{
    if (Batch.Paused())
        Batch.Resume();
    else
        Batch.Pause();
    DoPauseBtn->setText(Batch.Paused() ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void TProgressFrm::closeEvent(QCloseEvent* event)
{
    // The batch runs inside this window; closing it takes effect when the batch has ended.
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TProgressFrm::reject()
{
    if (!m_running)
        QDialog::reject();
}

void TProgressFrm::ShowFileName(const QString& text)
{
    // A long name is shortened in its middle, where names differ least; the whole name is its tooltip.
    FileNameLabel->setText(
        FileNameLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, FileNameLabel->contentsRect().width()));
    FileNameLabel->setToolTip(text);
}
void TProgressFrm::ShowCurrentConversing(const QString& text)
{
    setText(CurrentConversingLabel, text);
}
void TProgressFrm::ShowFileProgress(int position)
{
    FileConversionProgress->setValue(position);
}
void TProgressFrm::ShowTotalProgress(int position)
{
    FilesConversionProgress->setValue(position);
}
void TProgressFrm::ShowTotalLabel(const QString& text)
{
    setText(TotalProgressLabel, text);
}
void TProgressFrm::ShowElapsedLabel(const QString& text)
{
    setText(TimeElapsedLabel, text);
}
void TProgressFrm::ShowEstimatedLabel(const QString& text)
{
    setText(EstimatedTimeLabel, text);
}
void TProgressFrm::ShowFileStatus(int index, const TFileStatus& status)
{
    while (QueueLvw->topLevelItemCount() <= index)
        QueueLvw->addTopLevelItem(new QTreeWidgetItem(QueueLvw));
    QTreeWidgetItem* item = QueueLvw->topLevelItem(index);
    item->setText(0, FileNameOfPath(status.SourcePath));
    item->setText(1, StatusText(status));
    const QString toolTip = StatusToolTip(status);
    item->setToolTip(0, toolTip);
    item->setToolTip(1, toolTip);
    if (status.State == TFileState::Converting)
        QueueLvw->scrollToItem(item);
    emit FileStatusShown(index, status);
}

void TProgressFrm::HideView()
{
    hide();
}
