#include "gui/batch_summary_form.h"

#include "core/prompts/user_prompts.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString resultText(const TSummaryLine& line)
{
    switch (line.State) {
    case TFileState::Failed:
        return QStringLiteral("Failed: ") + line.Text;
    case TFileState::Skipped:
        return QStringLiteral("Skipped: ") + line.Text;
    case TFileState::Done:
        return QStringLiteral("Converted under a new name: ") + line.Text;
    case TFileState::Waiting:
    case TFileState::Converting:
    case TFileState::Stopped:
        break;
    }
    return line.Text;
}

} // namespace

TBatchSummaryFrm::TBatchSummaryFrm(const TBatchSummary& summary, TUserPrompts& opener, QWidget* parent)
    : QDialog(parent), m_summary(summary), m_opener(opener)
{
    setObjectName(QStringLiteral("BatchSummaryFrm"));
    setWindowTitle(summary.Caption);
    setMinimumWidth(600);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    IconLbl = new QLabel(this);
    IconLbl->setObjectName(QStringLiteral("IconLbl"));
    const bool troubled = summary.Failed > 0 || summary.Skipped > 0;
    IconLbl->setPixmap(
        style()
            ->standardIcon(troubled ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxInformation, nullptr, this)
            .pixmap(32, 32));
    IconLbl->setAlignment(Qt::AlignTop);
    top->addWidget(IconLbl);
    HeadlineLbl = new QLabel(summary.Headline, this);
    HeadlineLbl->setObjectName(QStringLiteral("HeadlineLbl"));
    QFont bold = HeadlineLbl->font();
    bold.setBold(true);
    HeadlineLbl->setFont(bold);
    top->addWidget(HeadlineLbl, 1);
    layout->addLayout(top);

    ResultsLvw = new QTreeWidget(this);
    ResultsLvw->setObjectName(QStringLiteral("ResultsLvw"));
    ResultsLvw->setAccessibleName(QStringLiteral("Results"));
    ResultsLvw->setColumnCount(2);
    ResultsLvw->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Result")});
    ResultsLvw->setRootIsDecorated(false);
    // Names and results as wide as their texts: a long one scrolls sideways rather than being cut short.
    ResultsLvw->header()->setStretchLastSection(false);
    ResultsLvw->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ResultsLvw->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    for (const TSummaryLine& line : summary.Lines) {
        auto* item = new QTreeWidgetItem(ResultsLvw, QStringList{line.FileName, resultText(line)});
        item->setToolTip(0, line.ToolTip);
        item->setToolTip(1, line.ToolTip);
    }
    ResultsLvw->setVisible(!summary.Lines.isEmpty());
    layout->addWidget(ResultsLvw, 1);

    FolderLbl = new QLabel(this);
    FolderLbl->setObjectName(QStringLiteral("FolderLbl"));
    FolderLbl->setWordWrap(true);
    FolderLbl->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (!summary.OutputFolder.isEmpty())
        FolderLbl->setText(QStringLiteral("The converted files are in ") + summary.OutputFolder);
    FolderLbl->setVisible(!summary.OutputFolder.isEmpty());
    layout->addWidget(FolderLbl);

    auto* buttons = new QHBoxLayout;
    OpenFolderBtn = new QPushButton(QStringLiteral("Open Folder"), this);
    OpenFolderBtn->setObjectName(QStringLiteral("OpenFolderBtn"));
    OpenFolderBtn->setVisible(!summary.OutputFolder.isEmpty());
    ShowLogBtn = new QPushButton(QStringLiteral("Show Log"), this);
    ShowLogBtn->setObjectName(QStringLiteral("ShowLogBtn"));
    ShowLogBtn->setToolTip(QStringLiteral("Everything the encoder wrote while converting the selected file"));
    const bool anyLog = std::any_of(summary.Lines.begin(), summary.Lines.end(),
                                    [](const TSummaryLine& line) { return !line.LogPath.isEmpty(); });
    ShowLogBtn->setVisible(anyLog);
    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setDefault(true);
    buttons->addWidget(OpenFolderBtn);
    buttons->addWidget(ShowLogBtn);
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);
    layout->addLayout(buttons);

    connect(OpenFolderBtn, &QPushButton::clicked, this, &TBatchSummaryFrm::OpenFolderBtnClick);
    connect(ShowLogBtn, &QPushButton::clicked, this, &TBatchSummaryFrm::ShowLogBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ResultsLvw, &QTreeWidget::itemSelectionChanged, this, &TBatchSummaryFrm::ResultsLvwSelectItem);
    // The first failed file with a log is chosen, so that "Show Log" shows it straight away.
    for (qsizetype i = 0; i < summary.Lines.size(); ++i) {
        if (!summary.Lines[i].LogPath.isEmpty()) {
            ResultsLvw->setCurrentItem(ResultsLvw->topLevelItem(static_cast<int>(i)));
            break;
        }
    }
    ResultsLvwSelectItem();
}

QString TBatchSummaryFrm::selectedLog() const
{
    QTreeWidgetItem* item = ResultsLvw->currentItem();
    const int row = item ? ResultsLvw->indexOfTopLevelItem(item) : -1;
    return row >= 0 && row < m_summary.Lines.size() ? m_summary.Lines[row].LogPath : QString();
}

void TBatchSummaryFrm::ResultsLvwSelectItem()
{
    ShowLogBtn->setEnabled(!selectedLog().isEmpty());
}

void TBatchSummaryFrm::OpenFolderBtnClick()
{
    m_opener.OpenLocalPath(m_summary.OutputFolder);
}

void TBatchSummaryFrm::ShowLogBtnClick()
{
    const QString log = selectedLog();
    if (!log.isEmpty())
        m_opener.OpenLocalPath(log);
}
