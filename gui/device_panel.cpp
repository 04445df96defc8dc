#include "gui/device_panel.h"

#include "core/conversion/conversion_fields.h"
#include "core/media/file_utils.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/interface_fields_shot.h"
#include "gui/panel_helpers.h"
#include "gui/picture_loader.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

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

TDevicePanel::TDevicePanel(const QString& programDir, TUserPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_programDir(programDir), m_prompts(prompts)
{
    setObjectName(QStringLiteral("DevicePanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    CmdButtonsPanel = namedPanel(this, "CmdButtonsPanel");
    auto* classes = new QHBoxLayout(CmdButtonsPanel);
    classes->setContentsMargins(0, 0, 0, 0);
    auto classButton = [&](const char* name, const QString& text, int tag) {
        auto* b = named(new QPushButton(text, CmdButtonsPanel), name);
        b->setCheckable(true);
        b->setMinimumHeight(44);
        b->setProperty("Tag", tag);
        classes->addWidget(b);
        return b;
    };
    btnMediaPlayer = classButton("btnMediaPlayer", QStringLiteral("Media Player"), 1);
    btnMobilePhone = classButton("btnMobilePhone", QStringLiteral("Mobile Phone"), 2);
    btnPocketComputer = classButton("btnPocketComputer", QStringLiteral("Pocket Computer"), 3);
    btnGameConsole = classButton("btnGameConsole", QStringLiteral("Game Console"), 4);
    layout->addWidget(CmdButtonsPanel);

    // The first step on the output side, until a class is chosen.
    NextStepLbl = named(new QLabel(QStringLiteral("Choose the kind of device above"), this), "NextStepLbl");
    NextStepLbl->setAlignment(Qt::AlignCenter);
    NextStepLbl->setForegroundRole(QPalette::PlaceholderText);
    NextStepLbl->setMinimumHeight(40);
    layout->addWidget(NextStepLbl);

    ManufacturerPanel = namedPanel(this, "ManufacturerPanel");
    auto* manufacturer = new QHBoxLayout(ManufacturerPanel);
    manufacturer->setContentsMargins(0, 0, 0, 0);
    auto* selectors = new QVBoxLayout;
    ManufacturerSelectPanel = namedPanel(ManufacturerPanel, "ManufacturerSelectPanel");
    auto* m = new QHBoxLayout(ManufacturerSelectPanel);
    m->setContentsMargins(0, 0, 0, 0);
    ManufacturerCmb = dropDownList(ManufacturerSelectPanel, "ManufacturerCmb", {});
    m->addWidget(fieldLabel(QStringLiteral("&Manufacturer:"), ManufacturerCmb));
    ManufacturerCmb->setMinimumWidth(160);
    m->addWidget(ManufacturerCmb, 1);
    selectors->addWidget(ManufacturerSelectPanel);
    ModelSelectPanel = namedPanel(ManufacturerPanel, "ModelSelectPanel");
    auto* md = new QHBoxLayout(ModelSelectPanel);
    md->setContentsMargins(0, 0, 0, 0);
    ModelCmb = dropDownList(ModelSelectPanel, "ModelCmb", {});
    ModelLabel = named(fieldLabel(QStringLiteral("Mo&del:"), ModelCmb), "ModelLabel");
    md->addWidget(ModelLabel);
    md->addWidget(ModelCmb, 1);
    selectors->addWidget(ModelSelectPanel);
    manufacturer->addLayout(selectors, 1);
    ManufacturerImage = named(new QLabel(ManufacturerPanel), "ManufacturerImage");
    ManufacturerImage->setAccessibleName(QStringLiteral("Manufacturer logo"));
    ManufacturerImage->setFixedSize(107, 48);
    ManufacturerImage->setAlignment(Qt::AlignCenter);
    manufacturer->addWidget(ManufacturerImage);
    DeviceImage = named(new QLabel(ManufacturerPanel), "DeviceImage");
    DeviceImage->setAccessibleName(QStringLiteral("Device picture"));
    DeviceImage->setFixedSize(61, 61);
    DeviceImage->setAlignment(Qt::AlignCenter);
    manufacturer->addWidget(DeviceImage);
    layout->addWidget(ManufacturerPanel);
    ManufacturerPanel->hide();

    for (QPushButton* button : {btnMediaPlayer, btnMobilePhone, btnPocketComputer, btnGameConsole}) {
        connect(button, &QPushButton::clicked, this,
                [this, button] { emit deviceClassClicked(button->property("Tag").toInt()); });
    }
    // Choices by the user only: a selection set from code never runs a handler by itself.
    connect(ManufacturerCmb, &QComboBox::activated, this, &TDevicePanel::DoSelectManufacturer);
    connect(ModelCmb, &QComboBox::activated, this, &TDevicePanel::DoSelectModel);
}

TDevicePanel::~TDevicePanel() = default;

QPushButton* TDevicePanel::DeviceButton(int deviceClass) const
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

void TDevicePanel::UnselectDeviceButtons()
{
    for (QPushButton* b : {btnMediaPlayer, btnMobilePhone, btnPocketComputer, btnGameConsole})
        b->setChecked(false);
}

void TDevicePanel::HideDetails()
{
    ModelSelectPanel->hide();
    ManufacturerImage->hide();
    DeviceImage->hide();
    emit detailsHidden();
}

bool TDevicePanel::OpenDeviceClass()
{
    if (m_deviceClass == 0)
        m_deviceClass = ReadStoredDeviceType();
    if (m_deviceClass == 0)
        return false;
    UnselectDeviceButtons();
    NextStepLbl->hide();
    m_catalogueFileName = CatalogueFileNameOf(m_deviceClass);
    if (QPushButton* button = DeviceButton(m_deviceClass))
        button->setChecked(true);
    // The pressed button and the hidden panels are painted before the catalogue is read.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return LoadCatalogue();
}

bool TDevicePanel::LoadCatalogue()
{
    const QString path = m_programDir + m_catalogueFileName;
    auto fail = [this, &path] {
        m_prompts.ShowMessage(QStringLiteral("Kovirta"),
                              QStringLiteral("The device catalogue could not be loaded: ") + path, PromptIcon::None);
        return false;
    };
    if (FileSizeOf(path) == 0)
        return fail();
    try {
        if (m_catalogueStore) {
            m_catalogueStore->WriteBack(); // the previous catalogue goes back to its file unless that is read-only
            m_catalogueStore.reset();
        }
        m_xml.reset();
        const pugi::xml_parse_result parsed = m_xml.load_file(path.toUtf8().constData(), kCatalogueParseOptions);
        if (!parsed || !m_xml.document_element())
            return fail();
        m_catalogueStore = std::make_unique<TDeviceOptionsStorage>(m_xml, path);
        ManufacturerCmb->clear();
        ModelCmb->clear();
        fillSorted(ManufacturerCmb, m_catalogueStore->GetManufacturerNames());
        ManufacturerImage->clear();
        DeviceImage->clear();
        emit catalogueLoaded();
        ManufacturerPanel->show();
        return true;
    } catch (const std::exception&) {
        return fail();
    }
}

void TDevicePanel::showPicture(QLabel* box, const QString& relativePath, const QSize& size)
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

void TDevicePanel::DoSelectManufacturer()
{
    HideDetails();
    ModelCmb->clear();
    QString error;
    if (m_catalogueStore) {
        try {
            DeviceImage->clear();
            DeviceImage->hide();
            TDeviceManufacturer manufacturer;
            m_catalogueStore->GetManufacturer(ManufacturerCmb->currentText(), manufacturer);
            showPicture(ManufacturerImage, manufacturer.Logo, QSize(107, 48));
            fillSorted(ModelCmb, m_catalogueStore->GetModelNames(ManufacturerCmb->currentText()));
        } catch (const std::exception& e) {
            error = QString::fromStdString(e.what());
            ModelCmb->clear();
        }
    }
    ModelSelectPanel->show();
    if (!error.isEmpty())
        m_prompts.ShowMessage(QStringLiteral("Error"), error, PromptIcon::Error);
}

void TDevicePanel::DoSelectModel()
{
    if (m_catalogueStore) {
        try {
            TDeviceModel model;
            m_catalogueStore->GetModel(ModelCmb->currentText(), ManufacturerCmb->currentText(), model);
            m_currentModel = model;
            showPicture(DeviceImage, m_currentModel.Image, QSize(61, 61));
        } catch (const std::exception&) {
            // A model or picture that cannot be read keeps what was shown before.
        }
    }
    emit modelChosen();
}

void TDevicePanel::FillConversionFields(TConversionFields& fields) const
{
    fields.DeviceClass = m_deviceClass;
    fields.Manufacturer = ManufacturerCmb->currentText();
    fields.Model = ModelCmb->currentText();
}

void TDevicePanel::SaveFields(TInterfaceFieldsShot& shot) const
{
    shot.SetManufacturer(ManufacturerCmb->currentIndex());
    shot.SetModel(ModelCmb->currentIndex());
}

void TDevicePanel::RestoreFields(const TInterfaceFieldsShot& shot)
{
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
}
