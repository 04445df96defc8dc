// The main window's frame: it builds the top row and the two columns of panels, opens and stores
// the file list, and carries what passes between panels: a class change saves the fields of the
// class left and restores those of the class chosen, and a chosen model fills the quality fields
// and shows the options.
#include "gui/main_form.h"

#include "core/media/file_list_manager.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/interface_fields_shot.h"
#include "gui/device_panel.h"
#include "gui/file_list_panel.h"
#include "gui/output_panel.h"
#include "gui/panel_helpers.h"
#include "gui/quality_panel.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TMainFrm::TMainFrm(const QString& programDir, TUserPrompts& prompts, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
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
    m_fileList = new TFileListPanel(m_programDir, m_prompts, this);
    columns->addWidget(m_fileList, 0);
    columns->addWidget(buildOutputColumn(), 1);
    root->addLayout(columns, 1);
    buildMenus();
    connectPanels();

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

QWidget* TMainFrm::buildOutputColumn()
{
    OutputGroupPanel = namedPanel(this, "OutputGroupPanel");
    auto* layout = new QVBoxLayout(OutputGroupPanel);
    layout->setContentsMargins(0, 0, 0, 0);

    m_device = new TDevicePanel(m_programDir, m_prompts, OutputGroupPanel);
    layout->addWidget(m_device);

    OptionsPanel = namedPanel(OutputGroupPanel, "OptionsPanel");
    auto* options = new QVBoxLayout(OptionsPanel);
    options->setContentsMargins(0, 0, 0, 0);
    m_quality = new TQualityPanel(m_prompts, OptionsPanel);
    options->addWidget(m_quality);
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
    OptionsPanel->hide();

    connect(ConvertBtn, &QPushButton::clicked, this, &TMainFrm::DoConvert);
    return OutputGroupPanel;
}

void TMainFrm::buildMenus()
{
    menuHelp = named(new QMenu(this), "menuHelp");
    menuItem(menuHelp, "About1", QStringLiteral("About"), this, &TMainFrm::About1Click);
    menuItem(menuHelp, "Reportabug1", QStringLiteral("Report a bug"), this, &TMainFrm::Reportabug1Click);
    menuItem(menuHelp, "HomePage1", QStringLiteral("Home Page"), this, &TMainFrm::HomePage1Click);
    menuItem(menuHelp, "Forum1", QStringLiteral("Forum"), this, &TMainFrm::Forum1Click);
    sSpeedButton1->setMenu(menuHelp);
}

void TMainFrm::DoAppInitialize()
{
    // Catalogue pictures are decoded by the picture loader (JPEG through libjpeg).
    m_fileList->OpenList(ListFilePath());
    HideDeviceDetails();
    SelectDeviceClass();
}

QString TMainFrm::ListFilePath() const
{
    return KeptListPath(m_programDir);
}

bool TMainFrm::DoAppClose()
{
    if (!m_fileList->FileListManager())
        return true;
    SaveInterfaceFields();
    const QString listFile = ListFilePath();
    QDir().mkpath(QFileInfo(listFile).path()); // the user's data folder may not exist yet
    return m_fileList->CloseList(listFile);
}

void TMainFrm::closeEvent(QCloseEvent* event)
{
    if (m_closed || DoAppClose()) {
        m_closed = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainFrm::HideDeviceDetails()
{
    m_device->HideDetails(); // the options hide with the details
}

void TMainFrm::connectPanels()
{
    connect(m_device, &TDevicePanel::deviceClassClicked, this, &TMainFrm::DeviceTypeSelect);
    connect(m_device, &TDevicePanel::detailsHidden, this, &TMainFrm::HideOptions);
    connect(m_device, &TDevicePanel::catalogueLoaded, OptionsPanel, &QWidget::hide);
    connect(m_device, &TDevicePanel::modelChosen, this, [this] {
        m_quality->ApplyModel(m_device->CurrentModel());
        ShowOptions();
    });
    connect(m_quality, &TQualityPanel::optionsReset, this, &TMainFrm::SaveInterfaceFields);
    // A batch converts the whole list, so it waits until every file being added is listed.
    connect(m_fileList, &TFileListPanel::loadingChanged, ConvertBtn, &QWidget::setDisabled);
}

std::array<TWindowPanel*, 4> TMainFrm::panels() const
{
    return {m_device, m_fileList, m_output, m_quality};
}

void TMainFrm::HideOptions()
{
    OptionsPanel->hide();
    m_quality->hide();
    ConvertBtn->hide();
}

void TMainFrm::ShowOptions()
{
    m_quality->show();
    OptionsPanel->show();
    ConvertBtn->show();
}

void TMainFrm::DeviceTypeSelect(int tag)
{
    SaveInterfaceFields();
    HideDeviceDetails();
    m_device->SetDeviceClass(tag);
    SelectDeviceClass();
}

void TMainFrm::SelectDeviceClass()
{
    if (m_device->OpenDeviceClass())
        RestoreInterfaceFields();
}

void TMainFrm::SaveInterfaceFields()
{
    if (m_device->DeviceClass() == 0)
        return;
    TInterfaceFieldsShot shot(m_device->DeviceClass());
    for (const TWindowPanel* panel : panels())
        panel->SaveFields(shot);
    if (shot.WriteFailed())
        m_prompts.ShowMessage(QStringLiteral("Error"),
                              QStringLiteral("The settings could not be stored in %1.").arg(shot.FileName()),
                              PromptIcon::Error);
}

void TMainFrm::RestoreInterfaceFields()
{
    TInterfaceFieldsShot shot(m_device->DeviceClass());
    for (TWindowPanel* panel : panels())
        panel->RestoreFields(shot);
}

void TMainFrm::DoAddFile()
{
    m_fileList->DoAddFile();
}
void TMainFrm::DoAddFolder()
{
    m_fileList->DoAddFolder();
}
void TMainFrm::FilesLvwDropFile(const QStringList& dropedFiles)
{
    m_fileList->FilesLvwDropFile(dropedFiles);
}
void TMainFrm::FilesLvwDragDrop(int targetRow)
{
    m_fileList->FilesLvwDragDrop(targetRow);
}
void TMainFrm::DoClear()
{
    m_fileList->DoClear();
}
void TMainFrm::DoSavePlaylist()
{
    m_fileList->DoSavePlaylist();
}
void TMainFrm::DoLoadPlaylist()
{
    m_fileList->DoLoadPlaylist();
}
void TMainFrm::DoPlay()
{
    m_fileList->DoPlay();
}
void TMainFrm::DoSelectManufacturer()
{
    m_device->DoSelectManufacturer();
}
void TMainFrm::DoSelectModel()
{
    m_device->DoSelectModel();
}
void TMainFrm::DoSelectVideoQuality()
{
    m_quality->DoSelectVideoQuality();
}
void TMainFrm::DoSelectAudioQuality()
{
    m_quality->DoSelectAudioQuality();
}
void TMainFrm::ResolutionTypeCmbClick()
{
    m_quality->ResolutionTypeCmbClick();
}
void TMainFrm::VolumeSelectCmbChange()
{
    m_quality->VolumeSelectCmbChange();
}
void TMainFrm::VideoBitRateChange()
{
    m_quality->VideoBitRateChange();
}
