#include "gui/dialogs/request_device_form.h"
#include "gui/form_helpers.h"
#include "gui/panel_helpers.h"

#include "core/feedback/feedback_urls.h"
#include "core/prompts/user_prompts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

TformRequestDevice::TformRequestDevice(TUserPrompts& prompts, const QString& siteBase, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), m_prompts(prompts), m_siteBase(siteBase)
{
    setObjectName(QStringLiteral("formRequestDevice"));
    setWindowTitle(QStringLiteral("FREE Device Request"));
    auto* grid = new QGridLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Did not find your device? Submitting this form you can request us to add device not \n"
                       "listed in the current version of converter absolutely for FREE. We add devices and \n"
                       "publish the new version nearly every day. Thus, you can be sure you will not wait \n"
                       "too long for response."),
        this);
    grid->addWidget(intro, 0, 0, 1, 3);
    auto line = [this](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    txbFullName = line("txbFullName");
    txbEmail = line("txbEmail");
    lstDeviceTypes = new QComboBox(this);
    lstDeviceTypes->setObjectName(QStringLiteral("lstDeviceTypes"));
    lstDeviceTypes->setEditable(true);
    lstDeviceTypes->addItems({QStringLiteral("Media Player"), QStringLiteral("Mobile Phone"),
                              QStringLiteral("Pocket Computer"), QStringLiteral("Game Console")});
    lstDeviceTypes->setCurrentIndex(-1);
    lstDeviceTypes->setEditText(QString());
    txbManufacturer = line("txbManufacturer");
    txbModel = line("txbModel");
    txbSpecificationURL = line("txbSpecificationURL");
    txbComments = new QTextEdit(this);
    txbComments->setObjectName(QStringLiteral("txbComments"));
    txbComments->setAcceptRichText(false);
    sBitBtn1 = new QPushButton(QStringLiteral("Send"), this);
    sBitBtn1->setObjectName(QStringLiteral("sBitBtn1"));

    // Each caption labels its field, with a mnemonic of its own.
    const std::pair<const char*, QWidget*> rows[] = {
        {"&Full Name:", txbFullName},        {"&Email:", txbEmail}, {"&Device Type:", lstDeviceTypes},
        {"&Manufacturer:", txbManufacturer}, {"M&odel:", txbModel}, {"&Specification URL:", txbSpecificationURL},
        {"Your &Comments:", txbComments},
    };
    int row = 1;
    for (const auto& [caption, field] : rows) {
        grid->addWidget(fieldLabel(QString::fromLatin1(caption), field), row, 0, Qt::AlignTop);
        grid->addWidget(field, row, 1);
        if (field == txbSpecificationURL || field == txbComments) {
            grid->addWidget(new QLabel(QStringLiteral("(Optional)"), this), row, 2, Qt::AlignTop);
            field->setAccessibleDescription(QStringLiteral("Optional"));
        }
        ++row;
    }
    grid->addWidget(sBitBtn1, row, 1, Qt::AlignCenter);
    QWidget* order[] = {txbFullName,         txbEmail,    lstDeviceTypes, txbManufacturer, txbModel,
                        txbSpecificationURL, txbComments, sBitBtn1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    connect(sBitBtn1, &QPushButton::clicked, this, &TformRequestDevice::sBitBtn1Click);
    setFixedSize(sizeHint().expandedTo(QSize(520, 420)));
}

void TformRequestDevice::sBitBtn1Click()
{
    SendRequest();
}

bool TformRequestDevice::CheckFields()
{
    const std::pair<QString, const char*> required[] = {
        {txbFullName->text(), "Please enter your Full Name"},
        {txbEmail->text(), "Please enter your Email"},
        {lstDeviceTypes->currentText(), "Please select Device Type"},
        {txbManufacturer->text(), "Please enter Manufacturer"},
        {txbModel->text(), "Please enter Model"},
    };
    for (const auto& [text, message] : required) {
        if (text.isEmpty()) {
            m_prompts.ShowMessage(QStringLiteral("Warning"), QString::fromLatin1(message), PromptIcon::Question);
            return false;
        }
    }
    return true;
}

void TformRequestDevice::SendRequest()
{
    if (!CheckFields())
        return;
    TDeviceRequest request;
    request.FullName = txbFullName->text();
    request.Email = txbEmail->text();
    request.DeviceType = lstDeviceTypes->currentText();
    request.Manufacturer = txbManufacturer->text();
    request.Model = txbModel->text();
    request.SpecificationUrl = txbSpecificationURL->text();
    request.Comments = txbComments->toPlainText();
    // Without a browser the form stays open, so that what was typed is not lost.
    if (m_prompts.OpenUrl(RequestDeviceUrl(m_siteBase, request)))
        accept();
}
