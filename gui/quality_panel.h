// The quality options of the main window: the video and the audio group, each with its quality
// level, its "Edit" button that shows or hides its fields, the fields themselves and "Reset".
// A level fills the fields from the chosen model's catalogue entry, or with a suggestion where
// the catalogue gives no value; the panel keeps flags that say which fields hold such a
// suggestion, and so leave the value to the source.
#pragma once

#include "core/catalogue/device_records.h"
#include "core/conversion/conversion_fields.h"
#include "gui/window_panel.h"

#include <QFrame>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TUserPrompts;

class TQualityPanel : public QFrame, public TWindowPanel {
    Q_OBJECT
public:
    TQualityPanel(TUserPrompts& prompts, QWidget* parent);

    // Which fields leave their value to the source. The quality handlers keep them live.
    const TSourceFallbacks& FromSource() const { return m_fromSource; }
    void SetFromSource(const TSourceFallbacks& fromSource) { m_fromSource = fromSource; }

    // A model was chosen: its screen size and its best level for picture and sound fill the
    // fields, and both groups collapse. The levels chosen later are read from this model.
    void ApplyModel(const TDeviceModel& model);

    // Handlers
    void DoSelectVideoQuality();
    void DoSelectAudioQuality();
    void DoManageVideoSectionVisible();
    void DoManageAudioSectionVisible();
    void DoResetVideoOptions();
    void DoResetAudioOption();
    void ResolutionTypeCmbClick();
    void VolumeSelectCmbChange();
    void VideoBitRateChange();
    void VideoFrameRateEdtChange();
    void AudioBitRateEdtChange();
    void SamplingEdtChange();
    void ChanelsStereoRdoClick();
    void ChanelsMonoRdoClick();

    // The levels and their fields, and the flags. Restoring applies the stored levels first, then
    // the stored texts over what the levels filled in, and the stored flags last.
    void FillConversionFields(TConversionFields& fields) const override;
    void SaveFields(TInterfaceFieldsShot& shot) const override;
    void RestoreFields(const TInterfaceFieldsShot& shot) override;

signals:
    // A "Reset" was confirmed and its level applied again: the fields are to be remembered now.
    void optionsReset();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A quality group of the given kind ("Video" or "Audio", which begins the controls' names and
    // the caption): its top row (caption, the four levels, "Edit") over a panel of fields, whose
    // grid is returned for the caller's fields.
    QGridLayout* buildGroup(const QString& kind, QFrame*& group, QFrame*& selectPanel, QComboBox*& level,
                            QPushButton*& edit, QFrame*& options);
    QFrame* buildVideoGroup();
    QFrame* buildAudioGroup();
    void connectHandlers();
    void setSectionVisible(QFrame* group, QFrame* selectPanel, QFrame* options, bool visible);

    TUserPrompts& m_prompts;
    TDeviceModel m_model;
    TSourceFallbacks m_fromSource;

    QFrame* VideoOptionsGroup;
    QFrame* VideoQualitySelectPanel;
    QComboBox* VideoQualityCmb;
    QPushButton* VideoConfigShowBtn;
    QFrame* VideoOptionsPanel;
    QLineEdit* VideoBitRateEdt;
    QLineEdit* VideoFrameRateEdt;
    QComboBox* ZoomModeCmb;
    QComboBox* ResolutionTypeCmb;
    QLineEdit* ResolutionXEdt;
    QLineEdit* ResolutionYEdt;
    QPushButton* ResetVideoOptionsBtn;
    QFrame* AudioOptionsGroup;
    QFrame* AudioQualitySelectPanel;
    QComboBox* AudioQualityCmb;
    QPushButton* AudioConfigShowBtn;
    QFrame* AudioOptionsPanel;
    QLineEdit* AudioBitRateEdt;
    QLineEdit* SamplingEdt;
    QRadioButton* ChanelsStereoRdo;
    QRadioButton* ChanelsMonoRdo;
    QComboBox* VolumeSelectCmb;
    QLineEdit* VolumeInputEdt;
    QPushButton* ResetAudioOption;
};
