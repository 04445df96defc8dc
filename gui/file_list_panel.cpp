#include "gui/file_list_panel.h"

#include "core/conversion/conversion_fields.h"
#include "core/conversion/file_status.h"
#include "core/media/add_report.h"
#include "core/media/file_info_panel.h"
#include "core/media/file_list_loader.h"
#include "core/media/file_list_manager.h"
#include "core/media/file_utils.h"
#include "core/media/video_formats.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/interface_fields_shot.h"
#include "gui/list_box_drag_ext.h"
#include "gui/panel_helpers.h"

#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kPlaylistFilter = QStringLiteral("Play List(*.m3u)|*.m3u");
} // namespace

TFileListPanel::TFileListPanel(const QString& programDir, TUserPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_programDir(programDir), m_prompts(prompts)
{
    setObjectName(QStringLiteral("FileListPanel"));
    setFixedWidth(300);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    FilesCmdBar = named(new QToolBar(this), "FilesCmdBar");
    auto toolButton = [this](const char* name, const QString& text) {
        auto* b = named(new QToolButton(FilesCmdBar), name);
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return b;
    };
    DoAddPopupShowBtn = toolButton("DoAddPopupShowBtn", QStringLiteral("Add"));
    DoRemovePopupShowBtn = toolButton("DoRemovePopupShowBtn", QStringLiteral("  Remove  "));
    DoListPopupShowBtn = toolButton("DoListPopupShowBtn", QStringLiteral("List"));
    PlayBtn = toolButton("PlayBtn", QStringLiteral("Play"));
    PlayBtn->setEnabled(false);
    DoAddPopupShowBtn->setAccessibleDescription(QStringLiteral("Adds files or a folder of videos to the list"));
    describe(DoRemovePopupShowBtn, QStringLiteral("Remove"),
             QStringLiteral("Removes the selected files or all of them"));
    DoListPopupShowBtn->setAccessibleDescription(QStringLiteral("Saves the list or loads a saved one"));
    PlayBtn->setAccessibleDescription(QStringLiteral("Opens the selected file in its player"));
    FilesCmdBar->addWidget(DoAddPopupShowBtn);
    FilesCmdBar->addSeparator();
    FilesCmdBar->addWidget(DoRemovePopupShowBtn);
    FilesCmdBar->addSeparator();
    FilesCmdBar->addWidget(DoListPopupShowBtn);
    FilesCmdBar->addSeparator();
    FilesCmdBar->addWidget(PlayBtn);
    layout->addWidget(FilesCmdBar);

    FilesLvw = named(new TListBoxDragExt(this), "FilesLvw");
    FilesLvw->setContextMenuPolicy(Qt::CustomContextMenu);
    FilesLvw->SetEmptyHint(QStringLiteral("Add videos with Add, or drop them here"));
    describe(FilesLvw, QStringLiteral("Files to convert"), FilesLvw->EmptyHint());
    layout->addWidget(FilesLvw, 1);

    buildLoadPanel();
    layout->addWidget(LoadPanel);
    buildFileInfoPanel();
    layout->addWidget(FileInfoPanelWrap);
    buildMenus();

    FilesLvw->OnDropFile = [this](const QStringList& files) { FilesLvwDropFile(files); };
    FilesLvw->OnDragDrop = [this](int targetRow) { FilesLvwDragDrop(targetRow); };
    FilesLvw->OnDeleteKey = [this] { DoRemoveSelected(); };
    connect(FilesLvw, &QTreeWidget::itemSelectionChanged, this, &TFileListPanel::FilesLvwSelectItem);
    connect(FilesLvw, &QTreeWidget::itemDoubleClicked, this, &TFileListPanel::DoPlay);
    connect(PlayBtn, &QToolButton::clicked, this, &TFileListPanel::DoPlay);
    connect(ShowFileInfoChk, &QCheckBox::clicked, this, &TFileListPanel::ShowFileInfoChkClick);

    InterfaceInteractive = named(new QTimer(this), "InterfaceInteractive");
    InterfaceInteractive->setInterval(100);
    connect(InterfaceInteractive, &QTimer::timeout, this, &TFileListPanel::InterfaceInteractiveTimer);
    InterfaceInteractive->start();
}

TFileListPanel::~TFileListPanel() = default;

void TFileListPanel::buildLoadPanel()
{
    LoadPanel = namedPanel(this, "LoadPanel");
    auto* grid = new QGridLayout(LoadPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    LoadProgressLbl = named(new QLabel(LoadPanel), "LoadProgressLbl");
    LoadProgressBar = named(new QProgressBar(LoadPanel), "LoadProgressBar");
    LoadProgressBar->setTextVisible(false);
    LoadProgressBar->setFixedHeight(8);
    LoadCancelBtn = named(new QPushButton(QStringLiteral("Cancel"), LoadPanel), "LoadCancelBtn");
    describe(LoadCancelBtn, QStringLiteral("Cancel adding files"));
    LoadProgressBar->setAccessibleName(QStringLiteral("Files added"));
    grid->addWidget(LoadProgressLbl, 0, 0);
    grid->addWidget(LoadProgressBar, 1, 0);
    grid->addWidget(LoadCancelBtn, 0, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    LoadPanel->hide();
    connect(LoadCancelBtn, &QPushButton::clicked, this, [this] {
        if (m_loader)
            m_loader->Cancel();
    });
}

void TFileListPanel::buildFileInfoPanel()
{
    FileInfoPanelWrap = namedPanel(this, "FileInfoPanelWrap");
    FileInfoPanelWrap->setFrameShape(QFrame::StyledPanel);
    auto* wrapLayout = new QVBoxLayout(FileInfoPanelWrap);
    wrapLayout->setContentsMargins(4, 2, 4, 4);
    FileInfoCaptionPanel = namedPanel(FileInfoPanelWrap, "FileInfoCaptionPanel");
    auto* captionLayout = new QHBoxLayout(FileInfoCaptionPanel);
    captionLayout->setContentsMargins(0, 0, 0, 0);
    ShowFileInfoChk = named(new QCheckBox(QStringLiteral("Show File Info"), FileInfoCaptionPanel), "ShowFileInfoChk");
    captionLayout->addWidget(ShowFileInfoChk);
    wrapLayout->addWidget(FileInfoCaptionPanel);

    FileInfoPanel = namedPanel(FileInfoPanelWrap, "FileInfoPanel");
    auto* grid = new QGridLayout(FileInfoPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    int row = 0;
    QString sectionName;
    auto value = [&](const char* name, const QString& caption) {
        if (!caption.isEmpty())
            grid->addWidget(new QLabel(caption, FileInfoPanel), row, 1);
        auto* label = named(new QLabel(FileInfoPanel), name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // The value is the label's text; what it is the value of is read as its description.
        const QString what = caption.isEmpty() ? QString() : caption.chopped(1); // "Duration:" -> "Duration"
        label->setAccessibleDescription(
            what.isEmpty() || what == sectionName ? sectionName : sectionName + QLatin1Char(' ') + what.toLower());
        grid->addWidget(label, row, caption.isEmpty() ? 1 : 2, 1, caption.isEmpty() ? 2 : 1);
        ++row;
        return label;
    };
    auto section = [&](const QString& text) {
        sectionName = text;
        grid->addWidget(heading(text, FileInfoPanel), row, 0);
    };
    section(QStringLiteral("Video"));
    DurationInfo = value("DurationInfo", QStringLiteral("Duration:"));
    VideoCodecInfo = value("VideoCodecInfo", QStringLiteral("Codec:"));
    VideoBitRateInfo = value("VideoBitRateInfo", QStringLiteral("Bit Rate:"));
    ResolutionInfo = value("ResolutionInfo", QStringLiteral("Resolution:"));
    FrameRateInfo = value("FrameRateInfo", QStringLiteral("Frame Rate:"));
    section(QStringLiteral("Audio"));
    ChanelsInfo = value("ChanelsInfo", QStringLiteral("Channels:"));
    AudioCodecInfo = value("AudioCodecInfo", QStringLiteral("Codec:"));
    AudioBitRateInfo = value("AudioBitRateInfo", QStringLiteral("Bit Rate:"));
    SamplingInfo = value("SamplingInfo", QStringLiteral("Sampling:"));
    section(QStringLiteral("Size"));
    SizeInfo = value("SizeInfo", QStringLiteral("Size:"));
    section(QStringLiteral("Path"));
    lblPath = value("lblPath", QString());
    lblPath->setWordWrap(true);
    grid->setColumnStretch(2, 1);
    wrapLayout->addWidget(FileInfoPanel);
}

void TFileListPanel::buildMenus()
{
    miAddPopup = named(new QMenu(this), "miAddPopup");
    menuItem(miAddPopup, "miFileAddDialogShow", QStringLiteral("File..."), this, &TFileListPanel::DoAddFile);
    menuItem(miAddPopup, "mFolderAddDialogShow", QStringLiteral("Folder..."), this, &TFileListPanel::DoAddFolder);
    miRemovePopup = named(new QMenu(this), "miRemovePopup");
    menuItem(miRemovePopup, "miDeleteSelected", QStringLiteral("Selected"), this, &TFileListPanel::DoRemoveSelected);
    menuItem(miRemovePopup, "miClear", QStringLiteral("Clear"), this, &TFileListPanel::DoClear);
    miListPopup = named(new QMenu(this), "miListPopup");
    menuItem(miListPopup, "miSave", QStringLiteral("Save..."), this, &TFileListPanel::DoSavePlaylist);
    menuItem(miListPopup, "miLoad", QStringLiteral("Load..."), this, &TFileListPanel::DoLoadPlaylist);
    for (auto [button, menu] :
         {std::pair{DoAddPopupShowBtn, miAddPopup}, std::pair{DoRemovePopupShowBtn, miRemovePopup},
          std::pair{DoListPopupShowBtn, miListPopup}}) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
    }

    FilesWorksMnu = named(new QMenu(this), "FilesWorksMnu");
    QMenu* add = FilesWorksMnu->addMenu(QStringLiteral("Add"));
    add->menuAction()->setObjectName(QStringLiteral("miAddItems"));
    menuItem(add, "miFileAdd", QStringLiteral("File.."), this, &TFileListPanel::DoAddFile);
    menuItem(add, "miFolderAdd", QStringLiteral("Folder..."), this, &TFileListPanel::DoAddFolder);
    QMenu* remove = FilesWorksMnu->addMenu(QStringLiteral("Remove"));
    remove->menuAction()->setObjectName(QStringLiteral("miRemoveItems"));
    menuItem(remove, "Selected1", QStringLiteral("Selected"), this, &TFileListPanel::DoRemoveSelected);
    menuItem(remove, "Clear1", QStringLiteral("Clear"), this, &TFileListPanel::DoClear);
    QMenu* list = FilesWorksMnu->addMenu(QStringLiteral("List"));
    list->menuAction()->setObjectName(QStringLiteral("List1"));
    menuItem(list, "miDoSave", QStringLiteral("Save..."), this, &TFileListPanel::DoSavePlaylist);
    menuItem(list, "Load1", QStringLiteral("Load..."), this, &TFileListPanel::DoLoadPlaylist);
    menuItem(FilesWorksMnu, "Play1", QStringLiteral("Play"), this, &TFileListPanel::DoPlay);
    connect(FilesLvw, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FilesWorksMnu->popup(FilesLvw->viewport()->mapToGlobal(at)); });
}

void TFileListPanel::OpenList(const QString& listFile)
{
    // Drops on the list are enabled by the list itself (it accepts local files).
    m_fileListManager = std::make_unique<TFileInfoManager>(m_programDir, m_prompts);
    m_fileListManager->SetListView(FilesLvw);
    m_loader = std::make_unique<TFileListLoader>(*m_fileListManager, m_programDir);
    connect(m_loader.get(), &TFileListLoader::progress, this, &TFileListPanel::showLoadProgress);
    connect(m_loader.get(), &TFileListLoader::finished, this,
            [this](const TAddReport& report, bool) { loadFinished(report); });
    // The window opens at once; the files of the last run fill the list as they are probed.
    if (FileSizeOf(listFile) > 0)
        loadPlaylist(listFile);
}

bool TFileListPanel::CloseList(const QString& listFile)
{
    if (m_fileListManager) {
        // Files a load under way has not listed yet are kept for the next start as well.
        const QStringList paths = m_fileListManager->PathsInListOrder() + m_loader->PendingPaths();
        if (paths.isEmpty()) {
            // A list emptied by the user stays empty at the next start.
            removeListFile(listFile);
        } else {
            try {
                TFileInfoManager::WritePlaylist(listFile, paths);
            } catch (const EFileError& e) {
                // The list is kept and the window stays open: closing again tries again.
                m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
                return false;
            }
        }
        m_loader.reset();
        m_fileListManager.reset();
    }
    InterfaceInteractive->stop();
    return true;
}

void TFileListPanel::removeListFile(const QString& listFile)
{
    QFile file(listFile);
    if (!file.exists() || file.remove())
        return;
    // Where it cannot be removed, an empty file is not loaded either.
    const QString reason = file.errorString();
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    // Said, but the window still closes: a list that cannot be stored must not keep it open.
    m_prompts.ShowMessage(QStringLiteral("Error"),
                          QStringLiteral("Cannot remove file \"%1\". %2").arg(listFile, reason), PromptIcon::Error);
}

bool TFileListPanel::IsLoading() const
{
    return m_loader && m_loader->IsLoading();
}

void TFileListPanel::loadPlaylist(const QString& fileName)
{
    try {
        // A playlist is listed as it was written, a file named twice included.
        m_loader->AddFiles(TFileInfoManager::ReadPlaylist(fileName), TFileListLoader::TListed::Keep);
    } catch (const EFileError& e) {
        m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
    }
}

void TFileListPanel::showLoadProgress()
{
    const bool loading = IsLoading();
    if (loading) {
        const qsizetype done = m_loader->Done();
        const qsizetype total = m_loader->Total();
        if (m_loader->IsSearching() && done == total) {
            LoadProgressLbl->setText(QStringLiteral("Searching the folder for videos\u2026"));
            LoadProgressBar->setRange(0, 0); // busy: how many files there are is not known yet
        } else {
            LoadProgressLbl->setText(QStringLiteral("Adding %1 of %2 files\u2026").arg(done).arg(total));
            LoadProgressBar->setRange(0, static_cast<int>(total));
            LoadProgressBar->setValue(static_cast<int>(done));
        }
    }
    LoadPanel->setVisible(loading);
    if (loading != m_loadingShown) {
        m_loadingShown = loading;
        emit loadingChanged(loading);
    }
}

void TFileListPanel::loadFinished(const TAddReport& report)
{
    showLoadProgress();
    if (report.HasRefusals())
        m_prompts.ShowMessage(QStringLiteral("Warning"), report.Text(), PromptIcon::Warning);
    else if (!report.IsEmpty())
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), report.Text(), PromptIcon::Information);
}

void TFileListPanel::FillConversionFields(TConversionFields& fields) const
{
    fields.FileCount = FilesLvw->RowCount();
}

void TFileListPanel::ShowFileStatus(int row, const TFileStatus& status)
{
    FilesLvw->SetRowStatus(row, StatusText(status), StatusToolTip(status));
}

void TFileListPanel::DoAddFile()
{
    m_loader->AddFiles(m_prompts.OpenFiles(QStringLiteral("Open file"), OpenDialogFilter()));
}

void TFileListPanel::DoAddFolder()
{
    const QString folder = m_prompts.BrowseForFolder();
    if (!folder.isEmpty())
        m_loader->AddFolder(folder, VideoExtensions());
}

void TFileListPanel::FilesLvwDropFile(const QStringList& dropedFiles)
{
    m_loader->AddFiles(dropedFiles);
}

void TFileListPanel::FilesLvwDragDrop(int targetRow)
{
    FilesLvw->MoveSelectedRows(targetRow);
    m_fileListManager->Renumber();
}

void TFileListPanel::DoRemoveSelected()
{
    m_fileListManager->RemoveSelected();
}

void TFileListPanel::DoClear()
{
    if (!m_prompts.AskYesNo(QStringLiteral("Warning"), QStringLiteral("Are you sure you want to clear the list?"),
                            PromptIcon::Question))
        return;
    m_loader->Abandon(); // files still being added would fill the emptied list again
    m_fileListManager->Clear();
}

void TFileListPanel::DoSavePlaylist()
{
    if (FilesLvw->RowCount() == 0
        && !m_prompts.AskYesNo(QStringLiteral("Warning"),
                               QStringLiteral("List is Empty. Are you sure you want to save list"),
                               PromptIcon::Question))
        return;
    QString name = m_prompts.SaveFile(QStringLiteral("Save list"), kPlaylistFilter, QStringLiteral(".m3u"));
    if (name.isEmpty())
        return;
    if (!FileNameOfPath(name).contains(QLatin1Char('.')))
        name += QStringLiteral(".m3u");
    try {
        m_fileListManager->SaveToFile(name);
    } catch (const EFileError& e) {
        m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
    }
}

void TFileListPanel::DoLoadPlaylist()
{
    const QString name = m_prompts.OpenFile(QStringLiteral("Open files list"), kPlaylistFilter);
    if (!name.isEmpty())
        loadPlaylist(name);
}

void TFileListPanel::DoPlay()
{
    for (int row = 0; row < FilesLvw->RowCount(); ++row) {
        if (FilesLvw->IsRowSelected(row)) {
            m_fileListManager->OpenInShell(row);
            return;
        }
    }
}

void TFileListPanel::FilesLvwSelectItem()
{
    QTreeWidgetItem* item = FilesLvw->currentItem();
    TFileInfo info;
    if (item)
        m_fileListManager->FindInfo(FilesLvw->indexOfTopLevelItem(item), info);
    showPanelTexts(info);
    PlayBtn->setEnabled(true);
}

void TFileListPanel::showPanelTexts(const TFileInfo& info)
{
    const TFileInfoPanelTexts t = FileInfoPanelTexts(info);
    DurationInfo->setText(t.Duration);
    VideoCodecInfo->setText(t.VideoCodec);
    VideoBitRateInfo->setText(t.VideoBitRate);
    ResolutionInfo->setText(t.Resolution);
    FrameRateInfo->setText(t.FrameRate);
    ChanelsInfo->setText(t.Chanels);
    AudioCodecInfo->setText(t.AudioCodec);
    AudioBitRateInfo->setText(t.AudioBitRate);
    SamplingInfo->setText(t.Sampling);
    SizeInfo->setText(t.Size);
    lblPath->setText(t.Path);
}

void TFileListPanel::InterfaceInteractiveTimer()
{
    if (!FilesLvw->selectedItems().isEmpty())
        return;
    for (QLabel* label : {DurationInfo, VideoCodecInfo, VideoBitRateInfo, ResolutionInfo, FrameRateInfo, ChanelsInfo,
                          AudioCodecInfo, AudioBitRateInfo, SamplingInfo, SizeInfo, lblPath})
        label->clear();
    PlayBtn->setEnabled(false);
}

void TFileListPanel::ShowFileInfoChkClick()
{
    const bool shown = ShowFileInfoChk->isChecked();
    FileInfoPanelWrap->setFixedHeight(shown ? 208 : 29);
    FileInfoPanel->setVisible(shown);
}

void TFileListPanel::SaveFields(TInterfaceFieldsShot& shot) const
{
    shot.SetShowFileInfo(ShowFileInfoChk->isChecked());
}

void TFileListPanel::RestoreFields(const TInterfaceFieldsShot& shot)
{
    ShowFileInfoChk->setChecked(shot.GetShowFileInfo());
    ShowFileInfoChkClick();
}
