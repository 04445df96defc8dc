// The main window: the file list on the left, the device and option fields on the right.
#pragma once

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
class TDevicePanel;
class TFileListPanel;
class TOutputPanel;
class TQualityPanel;
class TUserPrompts;
class TWindowPanel;

class TMainFrm : public QWidget {
    Q_OBJECT
public:
    // programDir: the program directory with its trailing separator.
    TMainFrm(const QString& programDir, TUserPrompts& prompts, QWidget* parent = nullptr);
    ~TMainFrm() override;

    QString ListFilePath() const { return m_programDir + QStringLiteral("preview.m3u"); }

    // Top row
    QLabel* sLabel2;
    QLabel* sLabel1;
    QPushButton* btnRequestDevice;
    QToolButton* sSpeedButton1;
    // Output column
    QFrame* OutputGroupPanel;
    QFrame* OptionsPanel;
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
    void HideOptions();
    void ShowOptions();
    void DeviceTypeSelect(int tag);
    void SelectDeviceClass();

    // The device class, catalogue and model.
    TDevicePanel& Device() const { return *m_device; }
    // The device handlers, run by name.
    void DoSelectManufacturer();
    void DoSelectModel();

    // The quality options, with the record a conversion is built on.
    TQualityPanel& Quality() const { return *m_quality; }
    // The quality handlers, run by name.
    void DoSelectVideoQuality();
    void DoSelectAudioQuality();
    void ResolutionTypeCmbClick();
    void VolumeSelectCmbChange();
    void VideoBitRateChange();

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTopRow();
    QWidget* buildOutputColumn();
    void buildMenus();
    void connectDeviceHandlers();
    // Every panel, in the order their remembered fields are restored: choosing the device's model
    // fills the quality fields, which the quality panel's stored values then replace.
    std::array<TWindowPanel*, 4> panels() const;

    QString m_programDir;
    TUserPrompts& m_prompts;
    TFileListPanel* m_fileList = nullptr;
    TDevicePanel* m_device = nullptr;
    TQualityPanel* m_quality = nullptr;
    TOutputPanel* m_output = nullptr;
    bool m_closed = false;
};
