#include "app/main_form.h"

#include "app/output_panel.h"
#include "app/panel_helpers.h"
#include "app/user_prompts.h"
#include "media/file_info_panel.h"
#include "media/file_utils.h"
#include "media/list_box_drag_ext.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

const QString TMainFrm::kOpenDialogFilter = QStringLiteral(
    "All Supported Formats|*.3g2;*.3gp;*.avi;*.asf;*.flv;*.m4v;*.mov;*.mp4;*.vob;*.vcd;*.wmv|3gp2 format|*.3g2|"
    "3gp format|*.3gp|asf format|*.asf|avi format|*.avi|flv format |*.flv|raw MPEG4 video format|*.m4v|"
    "QuickTime|*.mov|mp4 format|*.mp4|MPEG2 PS format (VOB)|*.vob|MPEG1 System format (VCD)|*.vcd|"
    "wmv format|*.wmv|(*.*) All Files|*.*");
const QString TMainFrm::kPlaylistFilter = QStringLiteral("Play List(*.m3u)|*.m3u");
const QStringList TMainFrm::kFolderExtensions = {
    QStringLiteral("3g2"), QStringLiteral("3gp"), QStringLiteral("avi"), QStringLiteral("asf"), QStringLiteral("flv"),
    QStringLiteral("m4v"), QStringLiteral("mp4"), QStringLiteral("vob"), QStringLiteral("vcd"), QStringLiteral("wmv")};

namespace {

const QStringList kQualityLevels = {QStringLiteral("Best"), QStringLiteral("Good"), QStringLiteral("Medium"),
                                    QStringLiteral("Low")};

} // namespace

TMainFrm::TMainFrm(const QString& programDir, TUserPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_programDir(programDir), m_prompts(prompts)
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Kovirta"));
    setFixedSize(856, 643);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(8, 6, 8, 8);
    buildTopRow();
    auto* top = new QHBoxLayout;
    sLabel2->setFixedWidth(306); // the headings stand over their columns
    top->addWidget(sLabel2);
    top->addWidget(sLabel1);
    top->addStretch(1);
    top->addWidget(btnRequestDevice);
    top->addWidget(sSpeedButton1);
    root->addLayout(top);
    auto* columns = new QHBoxLayout;
    columns->addWidget(buildInputColumn(), 0);
    columns->addWidget(buildOutputColumn(), 1);
    root->addLayout(columns, 1);
    buildMenus();
    connectDeviceHandlers();

    InterfaceInteractive.setInterval(100);
    connect(&InterfaceInteractive, &QTimer::timeout, this, &TMainFrm::InterfaceInteractiveTimer);
    InterfaceInteractive.start();

    DoAppInitialize();
}

TMainFrm::~TMainFrm() = default;

void TMainFrm::buildTopRow()
{
    sLabel2 = named(heading(QStringLiteral("Input"), this), "sLabel2");
    sLabel1 = named(heading(QStringLiteral("Output"), this), "sLabel1");
    btnRequestDevice = named(new QPushButton(QStringLiteral("Request Device"), this), "btnRequestDevice");
    btnRequestDevice->setFlat(true);
    sSpeedButton1 = named(new QToolButton(this), "sSpeedButton1");
    sSpeedButton1->setText(QStringLiteral("Help"));
    sSpeedButton1->setAutoRaise(true);
    sSpeedButton1->setPopupMode(QToolButton::InstantPopup);
    connect(btnRequestDevice, &QPushButton::clicked, this, &TMainFrm::btnRequestDeviceClick);
}

QWidget* TMainFrm::buildInputColumn()
{
    auto* column = new QWidget(this);
    column->setFixedWidth(300);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);

    FilesCmdBar = named(new QToolBar(column), "FilesCmdBar");
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
    FilesCmdBar->addWidget(DoAddPopupShowBtn);
    FilesCmdBar->addSeparator();
    FilesCmdBar->addWidget(DoRemovePopupShowBtn);
    FilesCmdBar->addSeparator();
    FilesCmdBar->addWidget(DoListPopupShowBtn);
    FilesCmdBar->addSeparator();
    FilesCmdBar->addWidget(PlayBtn);
    layout->addWidget(FilesCmdBar);

    FilesLvw = named(new TListBoxDragExt(column), "FilesLvw");
    FilesLvw->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(FilesLvw, 1);

    FileInfoPanelWrap = namedPanel(column, "FileInfoPanelWrap");
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
    auto value = [&](const char* name, const QString& caption) {
        if (!caption.isEmpty())
            grid->addWidget(new QLabel(caption, FileInfoPanel), row, 1);
        auto* label = named(new QLabel(FileInfoPanel), name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(label, row, caption.isEmpty() ? 1 : 2, 1, caption.isEmpty() ? 2 : 1);
        ++row;
        return label;
    };
    auto section = [&](const QString& text) { grid->addWidget(heading(text, FileInfoPanel), row, 0); };
    section(QStringLiteral("Video"));
    DurationInfo = value("DurationInfo", QStringLiteral("Duration:"));
    VideoCodecInfo = value("VideoCodecInfo", QStringLiteral("Codec:"));
    VideoBitRateInfo = value("VideoBitRateInfo", QStringLiteral("Bit Rate:"));
    ResolutionInfo = value("ResolutionInfo", QStringLiteral("Resolution:"));
    FrameRateInfo = value("FrameRateInfo", QStringLiteral("Frame Rate:"));
    section(QStringLiteral("Audio"));
    ChanelsInfo = value("ChanelsInfo", QStringLiteral("Chanels:"));
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
    layout->addWidget(FileInfoPanelWrap);

    FilesLvw->OnDropFile = [this](const QStringList& files) { FilesLvwDropFile(files); };
    FilesLvw->OnDragDrop = [this](int targetRow) { FilesLvwDragDrop(targetRow); };
    FilesLvw->OnDeleteKey = [this] { DoRemoveSelected(); };
    connect(FilesLvw, &QTreeWidget::itemSelectionChanged, this, &TMainFrm::FilesLvwSelectItem);
    connect(FilesLvw, &QTreeWidget::itemDoubleClicked, this, &TMainFrm::DoPlay);
    connect(PlayBtn, &QToolButton::clicked, this, &TMainFrm::DoPlay);
    connect(ShowFileInfoChk, &QCheckBox::clicked, this, &TMainFrm::ShowFileInfoChkClick);
    return column;
}

QWidget* TMainFrm::buildOutputColumn()
{
    OutputGroupPanel = namedPanel(this, "OutputGroupPanel");
    auto* layout = new QVBoxLayout(OutputGroupPanel);
    layout->setContentsMargins(0, 0, 0, 0);

    CmdButtonsPanel = namedPanel(OutputGroupPanel, "CmdButtonsPanel");
    auto* classes = new QHBoxLayout(CmdButtonsPanel);
    classes->setContentsMargins(0, 0, 0, 0);
    auto classButton = [&](const char* name, const QString& text, int tag) {
        auto* b = named(new QPushButton(text, CmdButtonsPanel), name);
        b->setCheckable(true);
        b->setMinimumHeight(44);
        b->setProperty("Tag", tag);
        classes->addWidget(b);
        return b;
    };
    btnMediaPlayer = classButton("btnMediaPlayer", QStringLiteral("Media Player"), 1);
    btnMobilePhone = classButton("btnMobilePhone", QStringLiteral("Mobile Phone"), 2);
    btnPocketComputer = classButton("btnPocketComputer", QStringLiteral("Pocket Computer"), 3);
    btnGameConsole = classButton("btnGameConsole", QStringLiteral("Game Console"), 4);
    layout->addWidget(CmdButtonsPanel);

    ManufacturerPanel = namedPanel(OutputGroupPanel, "ManufacturerPanel");
    auto* manufacturer = new QHBoxLayout(ManufacturerPanel);
    manufacturer->setContentsMargins(0, 0, 0, 0);
    auto* selectors = new QVBoxLayout;
    ManufacturerSelectPanel = namedPanel(ManufacturerPanel, "ManufacturerSelectPanel");
    auto* m = new QHBoxLayout(ManufacturerSelectPanel);
    m->setContentsMargins(0, 0, 0, 0);
    m->addWidget(new QLabel(QStringLiteral("Manufacturer:"), ManufacturerSelectPanel));
    ManufacturerCmb = dropDownList(ManufacturerSelectPanel, "ManufacturerCmb", {});
    ManufacturerCmb->setMinimumWidth(160);
    m->addWidget(ManufacturerCmb, 1);
    selectors->addWidget(ManufacturerSelectPanel);
    ModelSelectPanel = namedPanel(ManufacturerPanel, "ModelSelectPanel");
    auto* md = new QHBoxLayout(ModelSelectPanel);
    md->setContentsMargins(0, 0, 0, 0);
    ModelLabel = named(new QLabel(QStringLiteral("Model:"), ModelSelectPanel), "ModelLabel");
    md->addWidget(ModelLabel);
    ModelCmb = dropDownList(ModelSelectPanel, "ModelCmb", {});
    md->addWidget(ModelCmb, 1);
    selectors->addWidget(ModelSelectPanel);
    manufacturer->addLayout(selectors, 1);
    ManufacturerImage = named(new QLabel(ManufacturerPanel), "ManufacturerImage");
    ManufacturerImage->setFixedSize(107, 48);
    ManufacturerImage->setAlignment(Qt::AlignCenter);
    manufacturer->addWidget(ManufacturerImage);
    DeviceImage = named(new QLabel(ManufacturerPanel), "DeviceImage");
    DeviceImage->setFixedSize(61, 61);
    DeviceImage->setAlignment(Qt::AlignCenter);
    manufacturer->addWidget(DeviceImage);
    layout->addWidget(ManufacturerPanel);

    OptionsPanel = namedPanel(OutputGroupPanel, "OptionsPanel");
    auto* options = new QVBoxLayout(OptionsPanel);
    options->setContentsMargins(0, 0, 0, 0);
    QualityOptionsPanel = namedPanel(OptionsPanel, "QualityOptionsPanel");
    auto* quality = new QHBoxLayout(QualityOptionsPanel);
    quality->setContentsMargins(0, 0, 0, 0);

    auto field = [](QGridLayout* grid, int r, const QString& caption, QWidget* w, const QString& unit) {
        grid->addWidget(new QLabel(caption), r, 0);
        grid->addWidget(w, r, 1);
        if (!unit.isEmpty())
            grid->addWidget(new QLabel(unit), r, 2);
    };

    VideoOptionsGroup = namedPanel(QualityOptionsPanel, "VideoOptionsGroup");
    VideoOptionsGroup->setFrameShape(QFrame::StyledPanel);
    auto* video = new QVBoxLayout(VideoOptionsGroup);
    VideoQualitySelectPanel = buildQualitySelectRow(VideoOptionsGroup, "VideoQualitySelectPanel",
                                                    QStringLiteral("Video quality:"), "VideoQualityCmb", VideoQualityCmb,
                                                    "VideoConfigShowBtn", VideoConfigShowBtn);
    video->addWidget(VideoQualitySelectPanel);
    VideoOptionsPanel = namedPanel(VideoOptionsGroup, "VideoOptionsPanel");
    auto* vo = new QGridLayout(VideoOptionsPanel);
    vo->setContentsMargins(0, 0, 0, 0);
    VideoBitRateEdt = named(new QLineEdit(VideoOptionsPanel), "VideoBitRateEdt");
    field(vo, 0, QStringLiteral("Bit Rate:"), VideoBitRateEdt, QStringLiteral("kbit/s"));
    VideoFrameRateEdt = named(new QLineEdit(VideoOptionsPanel), "VideoFrameRateEdt");
    field(vo, 1, QStringLiteral("Frame Rate:"), VideoFrameRateEdt, QStringLiteral("fps"));
    ZoomModeCmb = dropDownList(VideoOptionsPanel, "ZoomModeCmb", {QStringLiteral("Fit to Screen"), QStringLiteral("Full Screen")});
    field(vo, 2, QStringLiteral("Zoom Mode:"), ZoomModeCmb, QString());
    ResolutionTypeCmb = dropDownList(VideoOptionsPanel, "ResolutionTypeCmb", {QStringLiteral("Original"), QStringLiteral("Custom")});
    field(vo, 3, QStringLiteral("Resolution:"), ResolutionTypeCmb, QString());
    auto* size = new QHBoxLayout;
    ResolutionXEdt = named(new QLineEdit(VideoOptionsPanel), "ResolutionXEdt");
    ResolutionYEdt = named(new QLineEdit(VideoOptionsPanel), "ResolutionYEdt");
    ResolutionXEdt->setEnabled(false);
    ResolutionYEdt->setEnabled(false);
    size->addWidget(ResolutionXEdt);
    size->addWidget(new QLabel(QStringLiteral("X")));
    size->addWidget(ResolutionYEdt);
    vo->addLayout(size, 4, 1);
    ResetVideoOptionsBtn = named(new QPushButton(QStringLiteral("Reset"), VideoOptionsPanel), "ResetVideoOptionsBtn");
    vo->addWidget(ResetVideoOptionsBtn, 5, 1);
    video->addWidget(VideoOptionsPanel);
    quality->addWidget(VideoOptionsGroup);

    AudioOptionsGroup = namedPanel(QualityOptionsPanel, "AudioOptionsGroup");
    AudioOptionsGroup->setFrameShape(QFrame::StyledPanel);
    auto* audio = new QVBoxLayout(AudioOptionsGroup);
    AudioQualitySelectPanel = buildQualitySelectRow(AudioOptionsGroup, "AudioQualitySelectPanel",
                                                    QStringLiteral("Audio quality:"), "AudioQualityCmb", AudioQualityCmb,
                                                    "AudioConfigShowBtn", AudioConfigShowBtn);
    audio->addWidget(AudioQualitySelectPanel);
    AudioOptionsPanel = namedPanel(AudioOptionsGroup, "AudioOptionsPanel");
    auto* ao = new QGridLayout(AudioOptionsPanel);
    ao->setContentsMargins(0, 0, 0, 0);
    AudioBitRateEdt = named(new QLineEdit(AudioOptionsPanel), "AudioBitRateEdt");
    field(ao, 0, QStringLiteral("Bit Rate:"), AudioBitRateEdt, QStringLiteral("kbit/s"));
    SamplingEdt = named(new QLineEdit(AudioOptionsPanel), "SamplingEdt");
    field(ao, 1, QStringLiteral("Sampling:"), SamplingEdt, QStringLiteral("Hz"));
    auto* channels = new QHBoxLayout;
    ChanelsStereoRdo = named(new QRadioButton(QStringLiteral("Stereo"), AudioOptionsPanel), "ChanelsStereoRdo");
    ChanelsMonoRdo = named(new QRadioButton(QStringLiteral("Mono"), AudioOptionsPanel), "ChanelsMonoRdo");
    channels->addWidget(ChanelsStereoRdo);
    channels->addWidget(ChanelsMonoRdo);
    ao->addWidget(new QLabel(QStringLiteral("Chanels:")), 2, 0);
    ao->addLayout(channels, 2, 1);
    VolumeSelectCmb = dropDownList(AudioOptionsPanel, "VolumeSelectCmb", {QStringLiteral("Original"), QStringLiteral("Custom")});
    field(ao, 3, QStringLiteral("Volume:"), VolumeSelectCmb, QString());
    VolumeInputEdt = named(new QLineEdit(QStringLiteral("100"), AudioOptionsPanel), "VolumeInputEdt");
    VolumeInputEdt->setEnabled(false);
    ao->addWidget(VolumeInputEdt, 4, 1);
    ao->addWidget(new QLabel(QStringLiteral("%")), 4, 2);
    ResetAudioOption = named(new QPushButton(QStringLiteral("Reset"), AudioOptionsPanel), "ResetAudioOption");
    ao->addWidget(ResetAudioOption, 5, 1);
    audio->addWidget(AudioOptionsPanel);
    quality->addWidget(AudioOptionsGroup);
    options->addWidget(QualityOptionsPanel);
    options->addSpacing(6); // HorizontalSpace1

    m_output = new TOutputPanel(m_prompts, OptionsPanel);
    options->addWidget(m_output);
    layout->addWidget(OptionsPanel);
    layout->addStretch(1);

    CmdPanel = namedPanel(OutputGroupPanel, "CmdPanel");
    auto* cmd = new QHBoxLayout(CmdPanel);
    cmd->setContentsMargins(0, 0, 0, 0);
    cmd->addStretch(1);
    ConvertBtn = named(new QPushButton(QStringLiteral("Convert"), CmdPanel), "ConvertBtn");
    ConvertBtn->setMinimumSize(120, 36);
    cmd->addWidget(ConvertBtn);
    layout->addWidget(CmdPanel);
    ConvertBtn->hide();
    ManufacturerPanel->hide();
    OptionsPanel->hide();

    connect(ConvertBtn, &QPushButton::clicked, this, &TMainFrm::DoConvert);
    return OutputGroupPanel;
}

QFrame* TMainFrm::buildQualitySelectRow(QFrame* group, const char* panelName, const QString& caption,
                                        const char* comboName, QComboBox*& combo, const char* buttonName,
                                        QPushButton*& button)
{
    QFrame* row = namedPanel(group, panelName);
    row->setFixedHeight(21);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(caption, row));
    combo = dropDownList(row, comboName, kQualityLevels);
    combo->setCurrentIndex(-1); // no level chosen until a model is
    layout->addWidget(combo, 1);
    button = named(new QPushButton(QStringLiteral("Edit"), row), buttonName);
    layout->addWidget(button);
    return row;
}

void TMainFrm::buildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& text, void (TMainFrm::*handler)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };
    miAddPopup = named(new QMenu(this), "miAddPopup");
    item(miAddPopup, "miFileAddDialogShow", QStringLiteral("File..."), &TMainFrm::DoAddFile);
    item(miAddPopup, "mFolderAddDialogShow", QStringLiteral("Folder..."), &TMainFrm::DoAddFolder);
    miRemovePopup = named(new QMenu(this), "miRemovePopup");
    item(miRemovePopup, "miDeleteSelected", QStringLiteral("Selected"), &TMainFrm::DoRemoveSelected);
    item(miRemovePopup, "miClear", QStringLiteral("Clear"), &TMainFrm::DoClear);
    miListPopup = named(new QMenu(this), "miListPopup");
    item(miListPopup, "miSave", QStringLiteral("Save..."), &TMainFrm::DoSavePlaylist);
    item(miListPopup, "miLoad", QStringLiteral("Load..."), &TMainFrm::DoLoadPlaylist);
    for (auto [button, menu] : {std::pair{DoAddPopupShowBtn, miAddPopup}, std::pair{DoRemovePopupShowBtn, miRemovePopup},
                                std::pair{DoListPopupShowBtn, miListPopup}}) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
    }

    FilesWorksMnu = named(new QMenu(this), "FilesWorksMnu");
    QMenu* add = FilesWorksMnu->addMenu(QStringLiteral("Add"));
    add->menuAction()->setObjectName(QStringLiteral("miAddItems"));
    item(add, "miFileAdd", QStringLiteral("File.."), &TMainFrm::DoAddFile);
    item(add, "miFolderAdd", QStringLiteral("Folder..."), &TMainFrm::DoAddFolder);
    QMenu* remove = FilesWorksMnu->addMenu(QStringLiteral("Remove"));
    remove->menuAction()->setObjectName(QStringLiteral("miRemoveItems"));
    item(remove, "Selected1", QStringLiteral("Selected"), &TMainFrm::DoRemoveSelected);
    item(remove, "Clear1", QStringLiteral("Clear"), &TMainFrm::DoClear);
    QMenu* list = FilesWorksMnu->addMenu(QStringLiteral("List"));
    list->menuAction()->setObjectName(QStringLiteral("List1"));
    item(list, "miDoSave", QStringLiteral("Save..."), &TMainFrm::DoSavePlaylist);
    item(list, "Load1", QStringLiteral("Load..."), &TMainFrm::DoLoadPlaylist);
    item(FilesWorksMnu, "Play1", QStringLiteral("Play"), &TMainFrm::DoPlay);
    connect(FilesLvw, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FilesWorksMnu->popup(FilesLvw->viewport()->mapToGlobal(at)); });

    menuHelp = named(new QMenu(this), "menuHelp");
    item(menuHelp, "About1", QStringLiteral("About"), &TMainFrm::About1Click);
    item(menuHelp, "Reportabug1", QStringLiteral("Report a bug"), &TMainFrm::Reportabug1Click);
    item(menuHelp, "HomePage1", QStringLiteral("Home Page"), &TMainFrm::HomePage1Click);
    item(menuHelp, "Forum1", QStringLiteral("Forum"), &TMainFrm::Forum1Click);
    sSpeedButton1->setMenu(menuHelp);
}

void TMainFrm::DoAppInitialize()
{
    // Drops on the list are enabled by the list itself (it accepts local files); catalogue
    // pictures are decoded by the picture loader (JPEG through libjpeg).
    FileListManager = std::make_unique<TFileInfoManager>(m_programDir, m_prompts);
    FileListManager->SetListView(FilesLvw);
    const QString listFile = ListFilePath();
    if (FileSizeOf(listFile) > 0) {
        try {
            FileListManager->LoadFromFile(listFile);
        } catch (const EFileError& e) {
            m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
        }
    }
    HideDeviceDetails();
    SelectDeviceClass();
}

bool TMainFrm::DoAppClose()
{
    if (!FileListManager)
        return true;
    SaveInterfaceFields();
    try {
        FileListManager->SaveToFile(ListFilePath());
    } catch (const EFileError& e) {
        // The list is kept and the window stays open: closing again tries again.
        m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
        return false;
    }
    FileListManager.reset();
    return true;
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    if (m_closed || DoAppClose()) {
        m_closed = true;
        InterfaceInteractive.stop();
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainFrm::HideDeviceDetails()
{
    ModelSelectPanel->hide();
    ManufacturerImage->hide();
    DeviceImage->hide();
    OptionsPanel->hide();
    QualityOptionsPanel->hide();
    ConvertBtn->hide();
}

void TMainFrm::DoAddFile()
{
    const QStringList files = m_prompts.OpenFiles(QStringLiteral("Open file"), kOpenDialogFilter);
    if (files.isEmpty())
        return;
    if (files.size() == 1) {
        if (FileListManager->AddFile(files.constFirst()) != TFileInfoManager::Added)
            m_prompts.ShowMessage(QStringLiteral("Warning"),
                                  QStringLiteral("Sorry, the file format is unsuported or file is broken"),
                                  PromptIcon::Warning);
        return;
    }
    FileListManager->AddFiles(files);
}

void TMainFrm::DoAddFolder()
{
    QString folder = m_prompts.BrowseForFolder();
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    for (const QString& extension : kFolderExtensions) {
        QStringList found;
        FindFiles(QStringLiteral("*.") + extension, folder, true, found);
        FileListManager->AddFiles(found);
    }
}

void TMainFrm::FilesLvwDropFile(const QStringList& dropedFiles)
{
    FileListManager->AddFiles(dropedFiles);
}

void TMainFrm::FilesLvwDragDrop(int targetRow)
{
    FilesLvw->MoveSelectedRows(targetRow);
    FileListManager->Renumber();
}

void TMainFrm::DoRemoveSelected()
{
    FileListManager->RemoveSelected();
}

void TMainFrm::DoClear()
{
    if (m_prompts.AskYesNo(QStringLiteral("Warning"), QStringLiteral("Are you sure you want to clear the list"),
                           PromptIcon::Question))
        FileListManager->Clear();
}

void TMainFrm::DoSavePlaylist()
{
    if (FilesLvw->RowCount() == 0
        && !m_prompts.AskYesNo(QStringLiteral("Warning"),
                               QStringLiteral("List is Empty. Are you sure you want to save list"), PromptIcon::Question))
        return;
    QString name = m_prompts.SaveFile(QStringLiteral("Save list"), kPlaylistFilter, QStringLiteral(".m3u"));
    if (name.isEmpty())
        return;
    if (!FileNameOfPath(name).contains(QLatin1Char('.')))
        name += QStringLiteral(".m3u");
    try {
        FileListManager->SaveToFile(name);
    } catch (const EFileError& e) {
        m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
    }
}

void TMainFrm::DoLoadPlaylist()
{
    const QString name = m_prompts.OpenFile(QStringLiteral("Open files list"), kPlaylistFilter);
    if (name.isEmpty())
        return;
    try {
        FileListManager->LoadFromFile(name);
    } catch (const EFileError& e) {
        m_prompts.ShowMessage(QStringLiteral("Error"), e.message(), PromptIcon::Error);
    }
}

void TMainFrm::DoPlay()
{
    for (int row = 0; row < FilesLvw->RowCount(); ++row) {
        if (FilesLvw->IsRowSelected(row)) {
            FileListManager->OpenInShell(row);
            return;
        }
    }
}

void TMainFrm::FilesLvwSelectItem()
{
    QTreeWidgetItem* item = FilesLvw->currentItem();
    TFileInfo info;
    if (item)
        FileListManager->FindInfo(FilesLvw->indexOfTopLevelItem(item), info);
    showPanelTexts(info);
    PlayBtn->setEnabled(true);
}

void TMainFrm::showPanelTexts(const TFileInfo& info)
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

void TMainFrm::InterfaceInteractiveTimer()
{
    if (!FilesLvw->selectedItems().isEmpty())
        return;
    for (QLabel* label : {DurationInfo, VideoCodecInfo, VideoBitRateInfo, ResolutionInfo, FrameRateInfo, ChanelsInfo,
                          AudioCodecInfo, AudioBitRateInfo, SamplingInfo, SizeInfo, lblPath})
        label->clear();
    PlayBtn->setEnabled(false);
}

void TMainFrm::ShowFileInfoChkClick()
{
    const bool shown = ShowFileInfoChk->isChecked();
    FileInfoPanelWrap->setFixedHeight(shown ? 208 : 29);
    FileInfoPanel->setVisible(shown);
}
