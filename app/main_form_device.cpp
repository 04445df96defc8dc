// How the main window's panels meet: the class buttons lead to saving the fields of the class
// left and restoring those of the class chosen; a chosen model fills the quality fields and shows
// the options; and the settings remembered per device class, read and written through the panels.
#include "app/main_form.h"

#include "app/device_panel.h"
#include "app/file_list_panel.h"
#include "app/output_panel.h"
#include "app/quality_panel.h"
#include "app/user_prompts.h"
#include "settings/interface_fields_shot.h"

#include <QPushButton>

void TMainFrm::connectDeviceHandlers()
{
    connect(m_device, &TDevicePanel::deviceClassClicked, this, &TMainFrm::DeviceTypeSelect);
    connect(m_device, &TDevicePanel::detailsHidden, this, &TMainFrm::HideOptions);
    connect(m_device, &TDevicePanel::catalogueLoaded, OptionsPanel, &QWidget::hide);
    connect(m_device, &TDevicePanel::modelChosen, this, [this] {
        m_quality->ApplyModel(m_device->CurrentModel());
        ShowOptions();
    });
    connect(m_quality, &TQualityPanel::optionsReset, this, &TMainFrm::SaveInterfaceFields);
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
        m_prompts.ShowMessage(QStringLiteral("Error"), QStringLiteral("The settings could not be stored."),
                              PromptIcon::Error);
}

void TMainFrm::RestoreInterfaceFields()
{
    TInterfaceFieldsShot shot(m_device->DeviceClass());
    for (TWindowPanel* panel : panels())
        panel->RestoreFields(shot);
}
