#include "gui/dialogs/report_bug_form.h"
#include "gui/form_helpers.h"
#include "gui/panel_helpers.h"

#include "core/feedback/feedback_urls.h"
#include "core/prompts/user_prompts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

TfrmReportBug::TfrmReportBug(TUserPrompts& prompts, const QString& siteBase, QWidget* parent)
    : QDialog(parent, kFixedDialogFlags), m_prompts(prompts), m_siteBase(siteBase)
{
    setObjectName(QStringLiteral("frmReportBug"));
    setWindowTitle(QStringLiteral("Report a bug"));
    auto* grid = new QGridLayout(this);
    txbName = new QLineEdit(this);
    txbName->setObjectName(QStringLiteral("txbName"));
    txbEmail = new QLineEdit(this);
    txbEmail->setObjectName(QStringLiteral("txbEmail"));
    txbBugDescription = new QTextEdit(this);
    txbBugDescription->setObjectName(QStringLiteral("txbBugDescription"));
    txbBugDescription->setAcceptRichText(false);
    Button1 = new QPushButton(QStringLiteral("Send"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    grid->addWidget(fieldLabel(QStringLiteral("Your &Name:"), txbName), 0, 0);
    grid->addWidget(txbName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("(Optional)"), this), 0, 2);
    grid->addWidget(fieldLabel(QStringLiteral("Your &Email:"), txbEmail), 1, 0);
    grid->addWidget(txbEmail, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(Optional)"), this), 1, 2);
    for (QLineEdit* optional : {txbName, txbEmail})
        optional->setAccessibleDescription(QStringLiteral("Optional"));
    grid->addWidget(fieldLabel(QStringLiteral("&Bug Description:"), txbBugDescription), 2, 0, 1, 3);
    grid->addWidget(txbBugDescription, 3, 0, 1, 3);
    grid->addWidget(Button1, 4, 1, Qt::AlignCenter);
    setTabOrder(txbName, txbEmail);
    setTabOrder(txbEmail, txbBugDescription);
    setTabOrder(txbBugDescription, Button1);
    connect(Button1, &QPushButton::clicked, this, &TfrmReportBug::Button1Click);
    setFixedSize(420, 320);
}

void TfrmReportBug::Button1Click()
{
    const QString description = txbBugDescription->toPlainText();
    if (description.isEmpty()) {
        m_prompts.ShowMessage(QStringLiteral("Warning"), QStringLiteral("Please enter Bug Description"),
                              PromptIcon::Warning);
        return;
    }
    // Without a browser the form stays open, so that what was typed is not lost.
    if (m_prompts.OpenUrl(ReportBugUrl(m_siteBase, txbName->text(), txbEmail->text(), description)))
        accept();
}
