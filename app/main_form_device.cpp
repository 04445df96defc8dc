// The device side of the main window: class buttons, catalogue, manufacturer and model,
// quality levels and the option fields, and the settings remembered per device class.
#include "app/main_form.h"

#include "app/file_list_panel.h"
#include "app/output_panel.h"
#include "app/quality_panel.h"
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

void fillSorted(QComboBox* combo, QStringList items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
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
    connect(m_quality, &TQualityPanel::optionsReset, this, &TMainFrm::SaveInterfaceFields);
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
    m_quality->ApplyModel(CurrentModel);
    ShowOptions();
}

void TMainFrm::SaveInterfaceFields()
{
    if (DeviceClass == 0)
        return;
    TInterfaceFieldsShot shot(DeviceClass);
    shot.SetManufacturer(ManufacturerCmb->currentIndex());
    shot.SetModel(ModelCmb->currentIndex());
    m_quality->SaveFields(shot);
    m_fileList->SaveFields(shot);
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
    m_quality->RestoreFields(shot);
}
