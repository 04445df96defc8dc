// The device side of the main window: the four class buttons, the manufacturer and model lists of
// the class's catalogue, and their pictures. Owns the catalogue document and store, the chosen
// class and the chosen model.
#pragma once

#include "core/catalogue/device_options_storage.h"
#include "core/catalogue/device_records.h"
#include "gui/window_panel.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class TUserPrompts;

class TDevicePanel : public QWidget, public TWindowPanel {
    Q_OBJECT
public:
    // programDir: the program directory with its trailing separator.
    TDevicePanel(const QString& programDir, TUserPrompts& prompts, QWidget* parent);
    ~TDevicePanel() override;

    // The chosen device class, 1 to 4; 0 while none is.
    int DeviceClass() const { return m_deviceClass; }
    void SetDeviceClass(int deviceClass) { m_deviceClass = deviceClass; }
    // The store over the loaded catalogue; none before the first load, and after a catalogue that
    // did not parse released the one before.
    TDeviceOptionsStorage* Store() const { return m_catalogueStore.get(); }
    // The values of the model chosen last; all empty until one is.
    const TDeviceModel& CurrentModel() const { return m_currentModel; }

    // Takes the stored class while none is chosen, shows the class's button pressed and loads
    // its catalogue. False when no class is chosen or its catalogue cannot be loaded.
    bool OpenDeviceClass();
    // Hides the model list and both pictures; the options of a chosen model go with them.
    void HideDetails();

    // Handlers
    void UnselectDeviceButtons();
    void DoSelectManufacturer();
    void DoSelectModel();

    // The class, manufacturer and model. Restoring chooses the stored manufacturer and model as
    // the user would.
    void FillConversionFields(TConversionFields& fields) const override;
    void SaveFields(TInterfaceFieldsShot& shot) const override;
    void RestoreFields(const TInterfaceFieldsShot& shot) override;

signals:
    // A class button was clicked.
    void deviceClassClicked(int deviceClass);
    // The model list and pictures were hidden: whatever belongs to a chosen model hides too.
    void detailsHidden();
    // A catalogue was loaded and its manufacturers listed; nothing is chosen from it yet.
    void catalogueLoaded();
    // A model was chosen; CurrentModel holds its values (or, when it could not be read, those of
    // the model before).
    void modelChosen();

private:
    QPushButton* DeviceButton(int deviceClass) const;
    bool LoadCatalogue();
    // A catalogue picture in its box: shown fitted; the box hidden when there is no file, shown
    // empty without a word when the file was refused unread; a file that does not decode throws.
    void showPicture(QLabel* box, const QString& relativePath, const QSize& size);

    QString m_programDir;
    TUserPrompts& m_prompts;
    int m_deviceClass = 0;
    QString m_catalogueFileName;
    // Every catalogue is loaded into this one document; the store works on it.
    pugi::xml_document m_xml;
    std::unique_ptr<TDeviceOptionsStorage> m_catalogueStore;
    TDeviceModel m_currentModel;

    QFrame* CmdButtonsPanel;
    QPushButton* btnMediaPlayer;
    QPushButton* btnMobilePhone;
    QPushButton* btnPocketComputer;
    QPushButton* btnGameConsole;
    // "Choose the kind of device above", while no class is chosen.
    QLabel* NextStepLbl;
    QFrame* ManufacturerPanel;
    QFrame* ManufacturerSelectPanel;
    QComboBox* ManufacturerCmb;
    QFrame* ModelSelectPanel;
    QLabel* ModelLabel;
    QComboBox* ModelCmb;
    QLabel* ManufacturerImage;
    QLabel* DeviceImage;
};
