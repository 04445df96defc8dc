#include "gui/quality_panel.h"

#include "core/conversion/conversion_fields.h"
#include "core/conversion/quality_fields.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/interface_fields_shot.h"
#include "gui/panel_helpers.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QStringList kQualityLevels = {QStringLiteral("Best"), QStringLiteral("Good"), QStringLiteral("Medium"),
                                    QStringLiteral("Low")};

// The height of a group whose fields are shown.
constexpr int kExpandedGroupHeight = 187;
// Room on either side of a narrow button's text.
constexpr int kButtonTextMargin = 12;

// A caption in the first column of a group's grid (the field's label), the field beside it and
// its unit after it.
void addField(QGridLayout* grid, int row, const QString& caption, QWidget* field, const QString& unit)
{
    grid->addWidget(fieldLabel(caption, field), row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty())
        grid->addWidget(new QLabel(unit, field->parentWidget()), row, 2);
}

// A named edit in the given row of a group's fields, with its caption, unit and accessible name.
QLineEdit* addEdit(QGridLayout* grid, int row, const char* name, const QString& caption, const QString& unit,
                   const QString& accessibleName)
{
    auto* edit = named(new QLineEdit(grid->parentWidget()), name);
    addField(grid, row, caption, edit, unit);
    describe(edit, accessibleName);
    return edit;
}

} // namespace

TQualityPanel::TQualityPanel(TUserPrompts& prompts, QWidget* parent) : QFrame(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("QualityOptionsPanel"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildVideoGroup());
    layout->addWidget(buildAudioGroup());
    connectHandlers();
}

QGridLayout* TQualityPanel::buildGroup(const QString& kind, QFrame*& group, QFrame*& selectPanel, QComboBox*& level,
                                       QPushButton*& edit, QFrame*& options)
{
    // Object names and caption from the kind: "VideoOptionsGroup", "VideoQualityCmb", "Video quality:".
    auto name = [&kind](QObject* object, const char* suffix) { object->setObjectName(kind + QLatin1String(suffix)); };
    group = new QFrame(this);
    name(group, "OptionsGroup");
    group->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(group);

    selectPanel = new QFrame(group);
    name(selectPanel, "QualitySelectPanel");
    selectPanel->setFixedHeight(21);
    auto* row = new QHBoxLayout(selectPanel);
    row->setContentsMargins(0, 0, 0, 0);
    level = new QComboBox(selectPanel);
    name(level, "QualityCmb");
    level->addItems(kQualityLevels);
    level->setCurrentIndex(-1); // no level chosen until a model is
    // As narrow as its longest level ("Medium"), so that the caption and "Edit" keep their room.
    level->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    level->setMinimumContentsLength(6);
    // "&Video quality:", "&Audio quality:": the first letter is the mnemonic.
    row->addWidget(fieldLabel(QLatin1Char('&') + kind + QStringLiteral(" quality:"), level));
    row->addWidget(level, 1);
    edit = new QPushButton(QStringLiteral("Edit"), selectPanel);
    name(edit, "ConfigShowBtn");
    describe(edit, QStringLiteral("Edit %1 options").arg(kind.toLower()),
             QStringLiteral("Shows or hides the %1 fields").arg(kind.toLower()));
    // The style's least button width would push "Edit" out of the group; its text is what it needs.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(edit->text()) + 2 * kButtonTextMargin);
    row->addWidget(edit);
    layout->addWidget(selectPanel);

    options = new QFrame(group);
    name(options, "OptionsPanel");
    auto* fields = new QGridLayout(options);
    fields->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(options);
    return fields;
}

QFrame* TQualityPanel::buildVideoGroup()
{
    QGridLayout* fields = buildGroup(QStringLiteral("Video"), VideoOptionsGroup, VideoQualitySelectPanel,
                                     VideoQualityCmb, VideoConfigShowBtn, VideoOptionsPanel);
    VideoBitRateEdt = addEdit(fields, 0, "VideoBitRateEdt", QStringLiteral("&Bit Rate:"), QStringLiteral("kbit/s"),
                              QStringLiteral("Video bit rate in kbit/s"));
    VideoFrameRateEdt = addEdit(fields, 1, "VideoFrameRateEdt", QStringLiteral("&Frame Rate:"), QStringLiteral("fps"),
                                QStringLiteral("Frame rate in frames a second"));
    ZoomModeCmb = dropDownList(VideoOptionsPanel, "ZoomModeCmb",
                               {QStringLiteral("Fit to Screen"), QStringLiteral("Full Screen")});
    addField(fields, 2, QStringLiteral("&Zoom Mode:"), ZoomModeCmb, QString());
    ResolutionTypeCmb =
        dropDownList(VideoOptionsPanel, "ResolutionTypeCmb", {QStringLiteral("Original"), QStringLiteral("Custom")});
    addField(fields, 3, QStringLiteral("&Resolution:"), ResolutionTypeCmb, QString());
    auto* size = new QHBoxLayout;
    ResolutionXEdt = named(new QLineEdit(VideoOptionsPanel), "ResolutionXEdt");
    ResolutionYEdt = named(new QLineEdit(VideoOptionsPanel), "ResolutionYEdt");
    describe(ResolutionXEdt, QStringLiteral("Resolution width"));
    describe(ResolutionYEdt, QStringLiteral("Resolution height"));
    ResolutionXEdt->setEnabled(false);
    ResolutionYEdt->setEnabled(false);
    size->addWidget(ResolutionXEdt);
    size->addWidget(new QLabel(QStringLiteral("X"), VideoOptionsPanel));
    size->addWidget(ResolutionYEdt);
    fields->addLayout(size, 4, 1);
    ResetVideoOptionsBtn = named(new QPushButton(QStringLiteral("Reset"), VideoOptionsPanel), "ResetVideoOptionsBtn");
    describe(ResetVideoOptionsBtn, QStringLiteral("Reset video options"),
             QStringLiteral("Fills the video fields from the chosen quality again"));
    fields->addWidget(ResetVideoOptionsBtn, 5, 1);
    return VideoOptionsGroup;
}

QFrame* TQualityPanel::buildAudioGroup()
{
    QGridLayout* fields = buildGroup(QStringLiteral("Audio"), AudioOptionsGroup, AudioQualitySelectPanel,
                                     AudioQualityCmb, AudioConfigShowBtn, AudioOptionsPanel);
    AudioBitRateEdt = addEdit(fields, 0, "AudioBitRateEdt", QStringLiteral("B&it Rate:"), QStringLiteral("kbit/s"),
                              QStringLiteral("Audio bit rate in kbit/s"));
    SamplingEdt = addEdit(fields, 1, "SamplingEdt", QStringLiteral("&Sampling:"), QStringLiteral("Hz"),
                          QStringLiteral("Sampling rate in Hz"));
    auto* channels = new QHBoxLayout;
    ChanelsStereoRdo = named(new QRadioButton(QStringLiteral("Stereo"), AudioOptionsPanel), "ChanelsStereoRdo");
    ChanelsMonoRdo = named(new QRadioButton(QStringLiteral("Mono"), AudioOptionsPanel), "ChanelsMonoRdo");
    channels->addWidget(ChanelsStereoRdo);
    channels->addWidget(ChanelsMonoRdo);
    fields->addWidget(fieldLabel(QStringLiteral("&Channels:"), ChanelsStereoRdo), 2, 0);
    fields->addLayout(channels, 2, 1);
    VolumeSelectCmb =
        dropDownList(AudioOptionsPanel, "VolumeSelectCmb", {QStringLiteral("Original"), QStringLiteral("Custom")});
    addField(fields, 3, QStringLiteral("V&olume:"), VolumeSelectCmb, QString());
    VolumeInputEdt = named(new QLineEdit(QStringLiteral("100"), AudioOptionsPanel), "VolumeInputEdt");
    describe(VolumeInputEdt, QStringLiteral("Volume in percent"), QStringLiteral("100 leaves the volume as it is"));
    VolumeInputEdt->setEnabled(false);
    fields->addWidget(VolumeInputEdt, 4, 1);
    fields->addWidget(new QLabel(QStringLiteral("%"), AudioOptionsPanel), 4, 2);
    ResetAudioOption = named(new QPushButton(QStringLiteral("Reset"), AudioOptionsPanel), "ResetAudioOption");
    describe(ResetAudioOption, QStringLiteral("Reset audio options"),
             QStringLiteral("Fills the audio fields from the chosen quality again"));
    fields->addWidget(ResetAudioOption, 5, 1);
    return AudioOptionsGroup;
}

void TQualityPanel::connectHandlers()
{
    // Choices by the user only: a selection set from code never runs a handler by itself.
    connect(VideoQualityCmb, &QComboBox::activated, this, &TQualityPanel::DoSelectVideoQuality);
    connect(AudioQualityCmb, &QComboBox::activated, this, &TQualityPanel::DoSelectAudioQuality);
    connect(ResolutionTypeCmb, &QComboBox::activated, this, &TQualityPanel::ResolutionTypeCmbClick);
    connect(VolumeSelectCmb, &QComboBox::activated, this, &TQualityPanel::VolumeSelectCmbChange);
    connect(VideoConfigShowBtn, &QPushButton::clicked, this, &TQualityPanel::DoManageVideoSectionVisible);
    connect(AudioConfigShowBtn, &QPushButton::clicked, this, &TQualityPanel::DoManageAudioSectionVisible);
    connect(ResetVideoOptionsBtn, &QPushButton::clicked, this, &TQualityPanel::DoResetVideoOptions);
    connect(ResetAudioOption, &QPushButton::clicked, this, &TQualityPanel::DoResetAudioOption);
    // A channel button clicked by the user, or selected from the program, runs its handler.
    connect(ChanelsStereoRdo, &QRadioButton::clicked, this, &TQualityPanel::ChanelsStereoRdoClick);
    connect(ChanelsMonoRdo, &QRadioButton::clicked, this, &TQualityPanel::ChanelsMonoRdoClick);
    connect(ChanelsStereoRdo, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ChanelsStereoRdoClick();
    });
    connect(ChanelsMonoRdo, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ChanelsMonoRdoClick();
    });
    // Leaving an edit clears its flag, whether or not the text changed.
    for (QLineEdit* edit : {VideoBitRateEdt, VideoFrameRateEdt, AudioBitRateEdt, SamplingEdt})
        edit->installEventFilter(this);
}

bool TQualityPanel::eventFilter(QObject* watched, QEvent* event)
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
    return QFrame::eventFilter(watched, event);
}

void TQualityPanel::ApplyModel(const TDeviceModel& model)
{
    m_model = model;
    ResolutionXEdt->setText(m_model.ResolutionX);
    ResolutionYEdt->setText(m_model.ResolutionY);
    VideoQualityCmb->setCurrentIndex(qlBest);
    DoSelectVideoQuality();
    AudioQualityCmb->setCurrentIndex(qlBest);
    DoSelectAudioQuality();
    setSectionVisible(VideoOptionsGroup, VideoQualitySelectPanel, VideoOptionsPanel, false);
    setSectionVisible(AudioOptionsGroup, AudioQualitySelectPanel, AudioOptionsPanel, false);
}

void TQualityPanel::DoSelectVideoQuality()
{
    ResolutionXEdt->setText(m_model.ResolutionX);
    ResolutionYEdt->setText(m_model.ResolutionY);
    const std::optional<TVideoQualityFields> q = VideoQualityFields(m_model, VideoQualityCmb->currentIndex());
    if (!q)
        return;
    VideoBitRateEdt->setText(q->BitRate);
    VideoFrameRateEdt->setText(q->FrameRate);
    m_fromSource.VideoBitRate = q->BitRateFromSource;
    m_fromSource.FrameRate = q->FrameRateFromSource;
}

void TQualityPanel::DoSelectAudioQuality()
{
    const std::optional<TAudioQualityFields> q = AudioQualityFields(m_model, AudioQualityCmb->currentIndex());
    if (!q)
        return;
    AudioBitRateEdt->setText(q->BitRate);
    SamplingEdt->setText(q->Sampling);
    m_fromSource.AudioBitRate = q->BitRateFromSource;
    m_fromSource.Sampling = q->SamplingFromSource;
    if (q->Channels == 0)
        return;
    // The flag is set after the buttons, whose own handlers clear it.
    (q->Channels == 2 ? ChanelsStereoRdo : ChanelsMonoRdo)->setChecked(true);
    m_fromSource.Channels = q->ChannelsFromSource;
}

void TQualityPanel::setSectionVisible(QFrame* group, QFrame* selectPanel, QFrame* options, bool visible)
{
    options->setVisible(visible);
    group->setFixedHeight(visible ? kExpandedGroupHeight : selectPanel->height() + 20);
}

void TQualityPanel::DoManageVideoSectionVisible()
{
    setSectionVisible(VideoOptionsGroup, VideoQualitySelectPanel, VideoOptionsPanel, VideoOptionsPanel->isHidden());
}

void TQualityPanel::DoManageAudioSectionVisible()
{
    setSectionVisible(AudioOptionsGroup, AudioQualitySelectPanel, AudioOptionsPanel, AudioOptionsPanel->isHidden());
}

void TQualityPanel::DoResetVideoOptions()
{
    if (!m_prompts.AskYesNo(QStringLiteral("Warning"),
                            QStringLiteral("Are you sure you want to reset quality settings?"), PromptIcon::Question))
        return;
    DoSelectVideoQuality();
    emit optionsReset();
}

void TQualityPanel::DoResetAudioOption()
{
    if (!m_prompts.AskYesNo(QStringLiteral("Warning"),
                            QStringLiteral("Are you sure you want to reset quality settings"), PromptIcon::Question))
        return;
    DoSelectAudioQuality();
    emit optionsReset();
}

void TQualityPanel::ResolutionTypeCmbClick()
{
    switch (ResolutionTypeCmb->currentIndex()) {
    case rtOriginal:
        ResolutionXEdt->setEnabled(false);
        ResolutionYEdt->setEnabled(false);
        ResolutionXEdt->setText(m_model.ResolutionX);
        ResolutionYEdt->setText(m_model.ResolutionY);
        break;
    case rtCustom:
        ResolutionXEdt->setEnabled(true);
        ResolutionYEdt->setEnabled(true);
        break;
    default:
        break;
    }
}

void TQualityPanel::VolumeSelectCmbChange()
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

void TQualityPanel::VideoBitRateChange()
{
    m_fromSource.VideoBitRate = false;
}
void TQualityPanel::VideoFrameRateEdtChange()
{
    m_fromSource.FrameRate = false;
}
void TQualityPanel::AudioBitRateEdtChange()
{
    m_fromSource.AudioBitRate = false;
}
void TQualityPanel::SamplingEdtChange()
{
    m_fromSource.Sampling = false;
}
void TQualityPanel::ChanelsStereoRdoClick()
{
    m_fromSource.Channels = false;
}
void TQualityPanel::ChanelsMonoRdoClick()
{
    m_fromSource.Channels = false;
}

void TQualityPanel::FillConversionFields(TConversionFields& f) const
{
    f.AudioBitRate = AudioBitRateEdt->text();
    f.Sampling = SamplingEdt->text();
    f.Stereo = ChanelsStereoRdo->isChecked();
    f.Mono = ChanelsMonoRdo->isChecked();
    f.VideoBitRate = VideoBitRateEdt->text();
    f.FrameRate = VideoFrameRateEdt->text();
    f.Volume = VolumeInputEdt->text();
    f.ZoomIndex = ZoomModeCmb->currentText().isEmpty() ? -1 : ZoomModeCmb->currentIndex();
    f.ResolutionTypeIndex = ResolutionTypeCmb->currentIndex();
    f.ResolutionX = ResolutionXEdt->text();
    f.ResolutionY = ResolutionYEdt->text();
    f.VideoQualityIndex = VideoQualityCmb->currentIndex();
    f.AudioQualityIndex = AudioQualityCmb->currentIndex();
    f.FromSource = m_fromSource;
}

void TQualityPanel::SaveFields(TInterfaceFieldsShot& shot) const
{
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
    const TSourceFallbacks& p = m_fromSource;
    shot.SetUseVideoBitRateFromDataBase(p.VideoBitRate);
    shot.SetUseAudioBitRateFromDataBase(p.AudioBitRate);
    shot.SetUseFrameRateFromDataBase(p.FrameRate);
    shot.SetUseSamplingFromDataBase(p.Sampling);
    shot.SetUseChannelsCountFromDataBase(p.Channels);
    shot.SetVideoConfigVisible(!VideoOptionsPanel->isHidden());
    shot.SetAudioConfigVisible(!AudioOptionsPanel->isHidden());
}

void TQualityPanel::RestoreFields(const TInterfaceFieldsShot& shot)
{
    VideoQualityCmb->setCurrentIndex(shot.GetVideoQuality());
    DoSelectVideoQuality();
    AudioQualityCmb->setCurrentIndex(shot.GetAudioQuality());
    DoSelectAudioQuality();
    for (auto [edit, value] :
         {std::pair{AudioBitRateEdt, shot.GetAudioBitRate()}, std::pair{VideoBitRateEdt, shot.GetVideoBitRate()},
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
    TSourceFallbacks& p = m_fromSource;
    p.VideoBitRate = shot.GetUseVideoBitRateFromDataBase();
    p.AudioBitRate = shot.GetUseAudioBitRateFromDataBase();
    p.FrameRate = shot.GetUseFrameRateFromDataBase();
    p.Sampling = shot.GetUseSamplingFromDataBase();
    p.Channels = shot.GetUseChannelsCountFromDataBase();
}
