// The main window: the file list on the left, the device and option fields on the right.
#pragma once

#include "catalogue/device_options_storage.h"
#include "conversion/conversion_parameters.h"
#include "conversion/conversion_request.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;
class TFileListPanel;
class TOutputPanel;
class TUserPrompts;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // programDir: the program directory with its trailing separator.
    TMainFrm(const QString& programDir, TUserPrompts& prompts, QWidget* parent = nullptr);
    ~TMainFrm() override;

    QString ListFilePath() const { return m_programDir + QStringLiteral("preview.m3u"); }

    int DeviceClass = 0;
    QString CatalogueFileName;
    pugi::xml_document XML;
    std::unique_ptr<TDeviceOptionsStorage> CatalogueStore;
    TDeviceModel CurrentModel;
    TCommonConversionParameters ConversionParameters;

    // Top row
    QLabel* sLabel2;
    QLabel* sLabel1;
    QPushButton* btnRequestDevice;
    QToolButton* sSpeedButton1;
    // Output column
    QFrame* OutputGroupPanel;
    QFrame* CmdButtonsPanel;
    QPushButton* btnMediaPlayer;
    QPushButton* btnMobilePhone;
    QPushButton* btnPocketComputer;
    QPushButton* btnGameConsole;
    QFrame* ManufacturerPanel;
    QFrame* ManufacturerSelectPanel;
    QComboBox* ManufacturerCmb;
    QFrame* ModelSelectPanel;
    QLabel* ModelLabel;
    QComboBox* ModelCmb;
    QLabel* ManufacturerImage;
    QLabel* DeviceImage;
    QFrame* OptionsPanel;
    QFrame* QualityOptionsPanel;
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
    QFrame* CmdPanel;
    QPushButton* ConvertBtn;
    // Menus
    QMenu* menuHelp;

    // Handlers
    void DoAppInitialize();
    // False when the list could not be stored and the window must stay open.
    bool DoAppClose();
    void HideDeviceDetails();

    // The input file list, with its list manager.
    TFileListPanel& FileList() const { return *m_fileList; }
    // The file list's handlers, run by name.
    void DoAddFile();
    void DoAddFolder();
    void FilesLvwDropFile(const QStringList& dropedFiles);
    void FilesLvwDragDrop(int targetRow);
    void DoClear();
    void DoSavePlaylist();
    void DoLoadPlaylist();
    void DoPlay();

    // Device and quality selection
    void UnselectDeviceButtons();
    void HideOptions();
    void ShowOptions();
    void DeviceTypeSelect(int tag);
    void SelectDeviceClass();
    bool LoadCatalogue();
    void DoSelectManufacturer();
    void DoSelectModel();
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
    QPushButton* DeviceButton(int deviceClass) const;

    // Conversion and side dialogs
    // The fields a conversion reads, as the user left them.
    TConversionFields ConversionFields() const;
    bool ValidateConversionRequest();
    void DoConvert();
    void btnRequestDeviceClick();
    void Reportabug1Click();
    void About1Click();
    void HomePage1Click();
    void Forum1Click();

    // Remembered settings
    void SaveInterfaceFields();
    void RestoreInterfaceFields();

    static constexpr int kExpandedGroupHeight = 187;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopRow();
    QWidget* buildOutputColumn();
    void buildMenus();
    // A quality group's top row: caption, the four levels, and its "Edit" button.
    QFrame* buildQualitySelectRow(QFrame* group, const char* panelName, const QString& caption, const char* comboName,
                                  QComboBox*& combo, const char* buttonName, QPushButton*& button);
    void connectDeviceHandlers();
    void setSectionVisible(QFrame* group, QFrame* selectPanel, QFrame* options, bool visible);
    // A catalogue picture in its box: shown fitted; the box hidden when there is no file, shown
    // empty without a word when the file was refused unread; a file that does not decode throws.
    void showPicture(QLabel* box, const QString& relativePath, const QSize& size);

    QString m_programDir;
    TUserPrompts& m_prompts;
    TFileListPanel* m_fileList = nullptr;
    TOutputPanel* m_output = nullptr;
    bool m_closed = false;
};
