// The main window: the file list on the left; the device, quality and output panels on the right;
// the headings, "Request Device" and the Help menu above them, and "Convert" below.
#pragma once

#include "core/conversion/conversion_fields.h"
#include "core/media/file_info.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
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

    // The input file list, with its list manager.
    TFileListPanel& FileList() const { return *m_fileList; }
    // The device class, catalogue and model.
    TDevicePanel& Device() const { return *m_device; }
    // The quality options, with the record a conversion is built on.
    TQualityPanel& Quality() const { return *m_quality; }

    // The panels' handlers, run by name.
    void DoAddFile();
    void DoAddFolder();
    void FilesLvwDropFile(const QStringList& dropedFiles);
    void FilesLvwDragDrop(int targetRow);
    void DoClear();
    void DoSavePlaylist();
    void DoLoadPlaylist();
    void DoPlay();
    void DoSelectManufacturer();
    void DoSelectModel();
    void DoSelectVideoQuality();
    void DoSelectAudioQuality();
    void ResolutionTypeCmbClick();
    void VolumeSelectCmbChange();
    void VideoBitRateChange();

    // The fields a conversion reads, as the user left them.
    TConversionFields ConversionFields() const;
    // Checks the fields in order and says what the first failing check found. A typed destination
    // folder that does not exist yet passes: DoConvert offers to create it.
    bool ValidateConversionRequest();
    void DoConvert();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTopRow();
    QWidget* buildOutputColumn();
    void buildMenus();
    void connectPanels();
    // Every panel, in the order their remembered fields are restored: choosing the device's model
    // fills the quality fields, which the quality panel's stored values then replace.
    std::array<TWindowPanel*, 4> panels() const;
    // The list kept between runs: in the program directory, or the user's data folder when the
    // program directory is read-only.
    QString ListFilePath() const;

    // Before a batch: offers to create a typed destination folder that does not exist, and finds
    // a folder the outputs cannot be written to. False, with the reason said once, when the batch
    // must not start.
    bool PrepareOutputFolders(const TConversionFields& fields, const TFileInfoArray& files);

    // Handlers
    void DoAppInitialize();
    // False when the list could not be stored and the window must stay open.
    bool DoAppClose();
    void HideDeviceDetails();
    void HideOptions();
    void ShowOptions();
    void DeviceTypeSelect(int tag);
    void SelectDeviceClass();
    void SaveInterfaceFields();
    void RestoreInterfaceFields();
    void btnRequestDeviceClick();
    void Reportabug1Click();
    void About1Click();
    void HomePage1Click();
    void Forum1Click();

    QString m_programDir;
    TUserPrompts& m_prompts;
    bool m_closed = false;

    // Top row
    QLabel* sLabel2;
    QLabel* sLabel1;
    QPushButton* btnRequestDevice;
    QToolButton* sSpeedButton1;
    QMenu* menuHelp;
    // Input column
    TFileListPanel* m_fileList = nullptr;
    // Output column
    QFrame* OutputGroupPanel;
    TDevicePanel* m_device = nullptr;
    QFrame* OptionsPanel;
    TQualityPanel* m_quality = nullptr;
    TOutputPanel* m_output = nullptr;
    QFrame* CmdPanel;
    QPushButton* ConvertBtn;
};
