// The device side of the main window: class buttons, catalogue, manufacturer and model,
// quality levels and the option fields, and the settings remembered per device class.
#include "app/main_form.h"

#include "app/file_list_panel.h"
#include "app/output_panel.h"
#include "app/user_prompts.h"
#include "catalogue/picture_loader.h"
#include "media/file_utils.h"
#include "settings/interface_fields_shot.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

struct Suggestions {
    const char* videoBitRate;
    const char* frameRate;
    const char* audioBitRate;
    const char* sampling;
    bool stereo;
};

// What the edits show for a value the catalogue leaves out, by quality level.
const Suggestions kSuggestions[] = {
    {"256", "30", "64", "22050", true},
    {"128", "15", "32", "22000", false},
    {"64", "8", "24", "22000", false},
    {"32", "4", "16", "22000", false},
};

void fillSorted(QComboBox* combo, QStringList items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
}

// Sets an edit from the catalogue, or from the suggestion; returns the flag "take it from the source".
bool fillFromCatalogue(QLineEdit* edit, const QString& value, const char* suggestion)
{
    edit->setText(value.isEmpty() ? QString::fromLatin1(suggestion) : value);
    return value.isEmpty();
}

} // namespace

void TMainFrm::connectDeviceHandlers()
{
    for (QPushButton* button : {btnMediaPlayer, btnMobilePhone, btnPocketComputer, btnGameConsole}) {
        connect(button, &QPushButton::clicked, this, [this, button] { DeviceTypeSelect(button->property("Tag").toInt()); });
    }
    // Choices by the user only: a selection set from code never runs a handler by itself.
    connect(ManufacturerCmb, &QComboBox::activated, this, &TMainFrm::DoSelectManufacturer);
    connect(ModelCmb, &QComboBox::activated, this, &TMainFrm::DoSelectModel);
    connect(VideoQualityCmb, &QComboBox::activated, this, &TMainFrm::DoSelectVideoQuality);
    connect(AudioQualityCmb, &QComboBox::activated, this, &TMainFrm::DoSelectAudioQuality);
    connect(ResolutionTypeCmb, &QComboBox::activated, this, &TMainFrm::ResolutionTypeCmbClick);
    connect(VolumeSelectCmb, &QComboBox::activated, this, &TMainFrm::VolumeSelectCmbChange);
    connect(VideoConfigShowBtn, &QPushButton::clicked, this, &TMainFrm::DoManageVideoSectionVisible);
    connect(AudioConfigShowBtn, &QPushButton::clicked, this, &TMainFrm::DoManageAudioSectionVisible);
    connect(ResetVideoOptionsBtn, &QPushButton::clicked, this, &TMainFrm::DoResetVideoOptions);
    connect(ResetAudioOption, &QPushButton::clicked, this, &TMainFrm::DoResetAudioOption);
    // A channel button clicked by the user, or selected from the program, runs its handler.
    connect(ChanelsStereoRdo, &QRadioButton::clicked, this, &TMainFrm::ChanelsStereoRdoClick);
    connect(ChanelsMonoRdo, &QRadioButton::clicked, this, &TMainFrm::ChanelsMonoRdoClick);
    connect(ChanelsStereoRdo, &QRadioButton::toggled, this, [this](bool on) { if (on) ChanelsStereoRdoClick(); });
    connect(ChanelsMonoRdo, &QRadioButton::toggled, this, [this](bool on) { if (on) ChanelsMonoRdoClick(); });
    // Leaving an edit clears its flag, whether or not the text changed.
    for (QLineEdit* edit : {VideoBitRateEdt, VideoFrameRateEdt, AudioBitRateEdt, SamplingEdt})
        edit->installEventFilter(this);
}

bool TMainFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == VideoBitRateEdt)
            VideoBitRateChange();
        else if (watched == VideoFrameRateEdt)
            VideoFrameRateEdtChange();
        else if (watched == AudioBitRateEdt)
            AudioBitRateEdtChange();
        else if (watched == SamplingEdt)
            SamplingEdtChange();
    }
    return QWidget::eventFilter(watched, event);
}

QPushButton* TMainFrm::DeviceButton(int deviceClass) const
{
    switch (deviceClass) {
    case 1:
        return btnMediaPlayer;
    case 2:
        return btnMobilePhone;
    case 3:
        return btnPocketComputer;
    case 4:
        return btnGameConsole;
    default:
        return nullptr;
    }
}

void TMainFrm::UnselectDeviceButtons()
{
    for (QPushButton* b : {btnMediaPlayer, btnMobilePhone, btnPocketComputer, btnGameConsole})
        b->setChecked(false);
}

void TMainFrm::HideOptions()
{
    OptionsPanel->hide();
    QualityOptionsPanel->hide();
    ConvertBtn->hide();
}

void TMainFrm::ShowOptions()
{
    QualityOptionsPanel->show();
    OptionsPanel->show();
    ConvertBtn->show();
}

void TMainFrm::DeviceTypeSelect(int tag)
{
    SaveInterfaceFields();
    HideDeviceDetails();
    DeviceClass = tag;
    SelectDeviceClass();
}

void TMainFrm::SelectDeviceClass()
{
    if (DeviceClass == 0)
        DeviceClass = ReadStoredDeviceType();
    if (DeviceClass == 0)
        return;
    UnselectDeviceButtons();
    CatalogueFileName = CatalogueFileNameOf(DeviceClass);
    if (QPushButton* button = DeviceButton(DeviceClass))
        button->setChecked(true);
    // The pressed button and the hidden panels are painted before the catalogue is read.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!LoadCatalogue())
        return;
    RestoreInterfaceFields();
}

bool TMainFrm::LoadCatalogue()
{
    const QString path = m_programDir + CatalogueFileName;
    auto fail = [this] {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"), QStringLiteral("Error on load from ") + CatalogueFileName,
                              PromptIcon::None);
        return false;
    };
    if (FileSizeOf(path) == 0)
        return fail();
    try {
        if (CatalogueStore) {
            CatalogueStore->Save(); // the previous catalogue goes back to its own file
            CatalogueStore.reset();
        }
        XML.reset();
        const pugi::xml_parse_result parsed = XML.load_file(path.toUtf8().constData(), kCatalogueParseOptions);
        if (!parsed || !XML.document_element())
            return fail();
        CatalogueStore = std::make_unique<TDeviceOptionsStorage>(XML, path);
        ManufacturerCmb->clear();
        ModelCmb->clear();
        fillSorted(ManufacturerCmb, CatalogueStore->GetManufacturerNames());
        ManufacturerImage->clear();
        DeviceImage->clear();
        OptionsPanel->hide();
        ManufacturerPanel->show();
        return true;
    } catch (const std::exception&) {
        return fail();
    }
}

void TMainFrm::showPicture(QLabel* box, const QString& relativePath, const QSize& size)
{
    const TCataloguePicture picture = ReadCataloguePicture(m_programDir, relativePath);
    switch (picture.Status) {
    case TPictureStatus::Loaded:
        box->setPixmap(QPixmap::fromImage(FitPicture(picture.Image, size)));
        box->show();
        return;
    case TPictureStatus::Absent:
        box->hide();
        return;
    case TPictureStatus::Refused:
        // Turned away unread: the box stays empty and nothing is said.
        box->clear();
        box->show();
        return;
    case TPictureStatus::Broken:
        break;
    }
    throw ECatalogueError("the picture '" + relativePath.toStdString() + "' cannot be loaded");
}

void TMainFrm::DoSelectManufacturer()
{
    HideDeviceDetails();
    ModelCmb->clear();
    QString error;
    if (CatalogueStore) {
        try {
            DeviceImage->clear();
            DeviceImage->hide();
            TDeviceManufacturer manufacturer;
            CatalogueStore->GetManufacturer(ManufacturerCmb->currentText(), manufacturer);
            showPicture(ManufacturerImage, manufacturer.Logo, QSize(107, 48));
            fillSorted(ModelCmb, CatalogueStore->GetModelNames(ManufacturerCmb->currentText()));
        } catch (const std::exception& e) {
            error = QString::fromStdString(e.what());
            ModelCmb->clear();
        }
    }
    ModelSelectPanel->show();
    if (!error.isEmpty())
        m_prompts.ShowMessage(QStringLiteral("Error"), error, PromptIcon::Error);
}

void TMainFrm::DoSelectModel()
{
    if (CatalogueStore) {
        try {
            TDeviceModel model;
            CatalogueStore->GetModel(ModelCmb->currentText(), ManufacturerCmb->currentText(), model);
            CurrentModel = model;
            showPicture(DeviceImage, CurrentModel.Image, QSize(61, 61));
        } catch (const std::exception&) {
            // A model or picture that cannot be read keeps what was shown before.
        }
    }
    ResolutionXEdt->setText(CurrentModel.ResolutionX);
    ResolutionYEdt->setText(CurrentModel.ResolutionY);
    VideoQualityCmb->setCurrentIndex(qlBest);
    DoSelectVideoQuality();
    AudioQualityCmb->setCurrentIndex(qlBest);
    DoSelectAudioQuality();
    setSectionVisible(VideoOptionsGroup, VideoQualitySelectPanel, VideoOptionsPanel, false);
    setSectionVisible(AudioOptionsGroup, AudioQualitySelectPanel, AudioOptionsPanel, false);
    QualityOptionsPanel->show();
    ShowOptions();
}

void TMainFrm::DoSelectVideoQuality()
{
    ResolutionXEdt->setText(CurrentModel.ResolutionX);
    ResolutionYEdt->setText(CurrentModel.ResolutionY);
    const int level = VideoQualityCmb->currentIndex();
    const TQuality* q = CurrentModel.Level(level);
    if (!q)
        return;
    const Suggestions& s = kSuggestions[level];
    ConversionParameters.UseVideoBitRateFromDataBase = fillFromCatalogue(VideoBitRateEdt, q->Video.BitRate, s.videoBitRate);
    ConversionParameters.UseFrameRateFromDataBase = fillFromCatalogue(VideoFrameRateEdt, q->Video.FrameRate, s.frameRate);
}

void TMainFrm::DoSelectAudioQuality()
{
    const int level = AudioQualityCmb->currentIndex();
    const TQuality* q = CurrentModel.Level(level);
    if (!q)
        return;
    const Suggestions& s = kSuggestions[level];
    ConversionParameters.UseAudioBitRateFromDataBase = fillFromCatalogue(AudioBitRateEdt, q->Audio.BitRate, s.audioBitRate);
    ConversionParameters.UseSamplingFromDataBase = fillFromCatalogue(SamplingEdt, q->Audio.Sampling, s.sampling);
    // The flag is set after the buttons, whose own handlers clear it.
    switch (q->Audio.Channels) {
    case 1:
        ChanelsMonoRdo->setChecked(true);
        ConversionParameters.UseChannelsCountFromDataBase = false;
        break;
    case 2:
        ChanelsStereoRdo->setChecked(true);
        ConversionParameters.UseChannelsCountFromDataBase = false;
        break;
    case 0:
        (s.stereo ? ChanelsStereoRdo : ChanelsMonoRdo)->setChecked(true);
        ConversionParameters.UseChannelsCountFromDataBase = true;
        break;
    default:
        break;
    }
}

void TMainFrm::setSectionVisible(QFrame* group, QFrame* selectPanel, QFrame* options, bool visible)
{
    options->setVisible(visible);
    group->setFixedHeight(visible ? kExpandedGroupHeight : selectPanel->height() + 20);
}

void TMainFrm::DoManageVideoSectionVisible()
{
    setSectionVisible(VideoOptionsGroup, VideoQualitySelectPanel, VideoOptionsPanel, VideoOptionsPanel->isHidden());
}

void TMainFrm::DoManageAudioSectionVisible()
{
    setSectionVisible(AudioOptionsGroup, AudioQualitySelectPanel, AudioOptionsPanel, AudioOptionsPanel->isHidden());
}

void TMainFrm::DoResetVideoOptions()
{
    if (!m_prompts.AskYesNo(QStringLiteral("Warning"), QStringLiteral("Are you sure you want to reset quality settings?"),
                            PromptIcon::Question))
        return;
    DoSelectVideoQuality();
    SaveInterfaceFields();
}

void TMainFrm::DoResetAudioOption()
{
    if (!m_prompts.AskYesNo(QStringLiteral("Warning"), QStringLiteral("Are you sure you want to reset quality settings"),
                            PromptIcon::Question))
        return;
    DoSelectAudioQuality();
    SaveInterfaceFields();
}

void TMainFrm::ResolutionTypeCmbClick()
{
    switch (ResolutionTypeCmb->currentIndex()) {
    case rtOriginal:
        ResolutionXEdt->setEnabled(false);
        ResolutionYEdt->setEnabled(false);
        ResolutionXEdt->setText(CurrentModel.ResolutionX);
        ResolutionYEdt->setText(CurrentModel.ResolutionY);
        break;
    case rtCustom:
        ResolutionXEdt->setEnabled(true);
        ResolutionYEdt->setEnabled(true);
        break;
    default:
        break;
    }
}

void TMainFrm::VolumeSelectCmbChange()
{
    switch (VolumeSelectCmb->currentIndex()) {
    case 0:
        VolumeInputEdt->setText(QStringLiteral("100"));
        VolumeInputEdt->setEnabled(false);
        break;
    case 1:
        VolumeInputEdt->setEnabled(true);
        break;
    default:
        break;
    }
}

void TMainFrm::VideoBitRateChange() { ConversionParameters.UseVideoBitRateFromDataBase = false; }
void TMainFrm::VideoFrameRateEdtChange() { ConversionParameters.UseFrameRateFromDataBase = false; }
void TMainFrm::AudioBitRateEdtChange() { ConversionParameters.UseAudioBitRateFromDataBase = false; }
void TMainFrm::SamplingEdtChange() { ConversionParameters.UseSamplingFromDataBase = false; }
void TMainFrm::ChanelsStereoRdoClick() { ConversionParameters.UseChannelsCountFromDataBase = false; }
void TMainFrm::ChanelsMonoRdoClick() { ConversionParameters.UseChannelsCountFromDataBase = false; }

void TMainFrm::SaveInterfaceFields()
{
    if (DeviceClass == 0)
        return;
    TInterfaceFieldsShot shot(DeviceClass);
    shot.SetManufacturer(ManufacturerCmb->currentIndex());
    shot.SetModel(ModelCmb->currentIndex());
    shot.SetVideoQuality(VideoQualityCmb->currentIndex());
    shot.SetAudioQuality(AudioQualityCmb->currentIndex());
    shot.SetAudioBitRate(AudioBitRateEdt->text());
    shot.SetVideoBitRate(VideoBitRateEdt->text());
    shot.SetFrameRate(VideoFrameRateEdt->text());
    shot.SetSampling(SamplingEdt->text());
    shot.SetZoom(ZoomModeCmb->currentIndex());
    if (ChanelsStereoRdo->isChecked())
        shot.SetAudioChanels(QStringLiteral("stereo"));
    if (ChanelsMonoRdo->isChecked())
        shot.SetAudioChanels(QStringLiteral("mono"));
    shot.SetResolution(ResolutionTypeCmb->currentIndex());
    shot.SetResolutionX(ResolutionXEdt->text());
    shot.SetResolutionY(ResolutionYEdt->text());
    shot.SetAudioVolume(VolumeSelectCmb->currentIndex());
    shot.SetAudioVolumeLevel(VolumeInputEdt->text());
    const TCommonConversionParameters& p = ConversionParameters;
    shot.SetUseVideoBitRateFromDataBase(p.UseVideoBitRateFromDataBase);
    shot.SetUseAudioBitRateFromDataBase(p.UseAudioBitRateFromDataBase);
    shot.SetUseFrameRateFromDataBase(p.UseFrameRateFromDataBase);
    shot.SetUseSamplingFromDataBase(p.UseSamplingFromDataBase);
    shot.SetUseChannelsCountFromDataBase(p.UseChannelsCountFromDataBase);
    m_fileList->SaveFields(shot);
    shot.SetVideoConfigVisible(!VideoOptionsPanel->isHidden());
    shot.SetAudioConfigVisible(!AudioOptionsPanel->isHidden());
    m_output->SaveFields(shot);
    if (shot.WriteFailed())
        m_prompts.ShowMessage(QStringLiteral("Error"), QStringLiteral("The settings could not be stored."),
                              PromptIcon::Error);
}

void TMainFrm::RestoreInterfaceFields()
{
    TInterfaceFieldsShot shot(DeviceClass);
    const int manufacturer = shot.GetManufacturer();
    if (ManufacturerCmb->count() > 0 && manufacturer >= 0 && manufacturer < ManufacturerCmb->count()) {
        ManufacturerCmb->setCurrentIndex(manufacturer);
        DoSelectManufacturer();
    }
    const int model = shot.GetModel();
    if (ModelCmb->count() > 0 && model >= 0 && model < ModelCmb->count()) {
        ModelCmb->setCurrentIndex(model);
        DoSelectModel();
    }
    m_output->RestoreFields(shot);
    m_fileList->RestoreFields(shot);
    VideoQualityCmb->setCurrentIndex(shot.GetVideoQuality());
    DoSelectVideoQuality();
    AudioQualityCmb->setCurrentIndex(shot.GetAudioQuality());
    DoSelectAudioQuality();
    for (auto [edit, value] : {std::pair{AudioBitRateEdt, shot.GetAudioBitRate()}, std::pair{VideoBitRateEdt, shot.GetVideoBitRate()},
                               std::pair{VideoFrameRateEdt, shot.GetFrameRate()}, std::pair{SamplingEdt, shot.GetSampling()}}) {
        if (!value.isEmpty())
            edit->setText(value);
    }
    ZoomModeCmb->setCurrentIndex(shot.GetZoom());
    const QString channels = shot.GetAudioChanels();
    if (!channels.isEmpty()) {
        // Both off first, so that a text other than "stereo" or "mono" leaves neither selected.
        ChanelsStereoRdo->setAutoExclusive(false);
        ChanelsMonoRdo->setAutoExclusive(false);
        ChanelsStereoRdo->setChecked(channels == QLatin1String("stereo"));
        ChanelsMonoRdo->setChecked(channels == QLatin1String("mono"));
        ChanelsStereoRdo->setAutoExclusive(true);
        ChanelsMonoRdo->setAutoExclusive(true);
    }
    ResolutionTypeCmb->setCurrentIndex(shot.GetResolution());
    ResolutionTypeCmbClick();
    ResolutionXEdt->setText(shot.GetResolutionX());
    ResolutionYEdt->setText(shot.GetResolutionY());
    VolumeSelectCmb->setCurrentIndex(shot.GetAudioVolume());
    VolumeSelectCmbChange();
    if (VolumeSelectCmb->currentIndex() == 1 && !shot.GetAudioVolumeLevel().isEmpty())
        VolumeInputEdt->setText(shot.GetAudioVolumeLevel());
    setSectionVisible(VideoOptionsGroup, VideoQualitySelectPanel, VideoOptionsPanel, shot.GetVideoConfigVisible());
    setSectionVisible(AudioOptionsGroup, AudioQualitySelectPanel, AudioOptionsPanel, shot.GetAudioConfigVisible());
    TCommonConversionParameters& p = ConversionParameters;
    p.UseVideoBitRateFromDataBase = shot.GetUseVideoBitRateFromDataBase();
    p.UseAudioBitRateFromDataBase = shot.GetUseAudioBitRateFromDataBase();
    p.UseFrameRateFromDataBase = shot.GetUseFrameRateFromDataBase();
    p.UseSamplingFromDataBase = shot.GetUseSamplingFromDataBase();
    p.UseChannelsCountFromDataBase = shot.GetUseChannelsCountFromDataBase();
}
