// The feedback forms, their addresses, and the about box.
#include "core/feedback/feedback_urls.h"
#include "core/kovirta_config.h"
#include "fake_prompts.h"
#include "gui/dialogs/about_form.h"
#include "gui/dialogs/report_bug_form.h"
#include "gui/dialogs/request_device_form.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
const QString kBase = QStringLiteral("https://www.example.com/");
}

TEST(ReportBugForm, RequiresADescriptionAndSendsEveryKey)
{
    FakePrompts prompts;
    TfrmReportBug form(prompts, kBase);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Report a bug"));
    form.Button1->click();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Please enter Bug Description"));
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_TRUE(prompts.openedUrls.isEmpty());
    EXPECT_EQ(form.result(), 0);

    form.txbBugDescription->setPlainText(QStringLiteral("a b"));
    form.Button1->click();
    ASSERT_EQ(prompts.openedUrls.size(), 1);
    EXPECT_EQ(prompts.openedUrls[0], kBase + QStringLiteral("Feedback/?name=&email=&content=a%20b"));
    EXPECT_EQ(form.result(), QDialog::Accepted);

    TfrmReportBug second(prompts, kBase);
    second.txbName->setText(QStringLiteral("Zoë"));
    second.txbBugDescription->setPlainText(QStringLiteral("line one\nline ~/&+"));
    second.Button1->click();
    EXPECT_EQ(prompts.openedUrls[1],
              kBase + QStringLiteral("Feedback/?name=Zo%C3%AB&email=&content=line%20one%0Aline%20%7E%2F%26%2B"));
}

TEST(RequestDeviceForm, RequiredFieldsInOrderAndTheAddress)
{
    FakePrompts prompts;
    TformRequestDevice form(prompts, kBase);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("FREE Device Request"));
    EXPECT_EQ(form.lstDeviceTypes->currentText(), QString());
    struct Step {
        QLineEdit* field;
        const char* value;
        const char* message;
    };
    const Step steps[] = {
        {form.txbFullName, "Ann Lee", "Please enter your Full Name"},
        {form.txbEmail, "ann@example.org", "Please enter your Email"},
        {nullptr, "Media Player", "Please select Device Type"},
        {form.txbManufacturer, "Acme", "Please enter Manufacturer"},
        {form.txbModel, "X 1", "Please enter Model"},
    };
    for (const Step& s : steps) {
        form.sBitBtn1->click();
        ASSERT_FALSE(prompts.messages.isEmpty());
        EXPECT_EQ(prompts.messages.last().text, QString::fromLatin1(s.message));
        EXPECT_EQ(prompts.messages.last().icon, PromptIcon::Question);
        if (s.field)
            s.field->setText(QString::fromLatin1(s.value));
        else
            form.lstDeviceTypes->setCurrentIndex(0);
    }
    EXPECT_TRUE(prompts.openedUrls.isEmpty());
    form.sBitBtn1->click();
    ASSERT_EQ(prompts.openedUrls.size(), 1);
    EXPECT_EQ(prompts.openedUrls[0],
              kBase
                  + QStringLiteral("requestdevice/?fullname=Ann%20Lee&email=ann%40example.org"
                                   "&devicetype=Media%20Player&manufacturer=Acme&model=X%201"
                                   "&specUrl=&comments="));
    EXPECT_EQ(form.result(), QDialog::Accepted);

    // A typed device type that is not one of the four is sent as typed.
    TformRequestDevice typed(prompts, kBase);
    typed.txbFullName->setText(QStringLiteral("A"));
    typed.txbEmail->setText(QStringLiteral("B"));
    typed.lstDeviceTypes->setEditText(QStringLiteral("E-reader"));
    typed.txbManufacturer->setText(QStringLiteral("C"));
    typed.txbModel->setText(QStringLiteral("D"));
    typed.txbComments->setPlainText(QStringLiteral("~/&+"));
    typed.sBitBtn1->click();
    EXPECT_TRUE(prompts.openedUrls.last().contains(QStringLiteral("&devicetype=E-reader&")));
    EXPECT_TRUE(prompts.openedUrls.last().endsWith(QStringLiteral("&comments=%7E%2F%26%2B")));
}

// Without a browser, each form says so with the address, offers to copy it, and stays open with
// what was typed; once a browser opens the address, the form closes.
TEST(FeedbackForms, StayOpenWithTheirTextWhenNoBrowserOpens)
{
    struct Form {
        const char* name;
        std::function<std::unique_ptr<QDialog>(FakePrompts&)> fill;
        std::function<QString(QDialog&)> typed;
        std::function<void(QDialog&)> send;
    };
    const Form forms[] = {
        {"report",
         [](FakePrompts& p) {
             auto form = std::make_unique<TfrmReportBug>(p, kBase);
             form->txbBugDescription->setPlainText(QStringLiteral("It stops at 99 %"));
             return form;
         },
         [](QDialog& d) { return static_cast<TfrmReportBug&>(d).txbBugDescription->toPlainText(); },
         [](QDialog& d) { static_cast<TfrmReportBug&>(d).Button1->click(); }},
        {"request",
         [](FakePrompts& p) {
             auto form = std::make_unique<TformRequestDevice>(p, kBase);
             form->txbFullName->setText(QStringLiteral("A"));
             form->txbEmail->setText(QStringLiteral("B"));
             form->lstDeviceTypes->setCurrentIndex(1);
             form->txbManufacturer->setText(QStringLiteral("C"));
             form->txbModel->setText(QStringLiteral("D"));
             form->txbComments->setPlainText(QStringLiteral("It stops at 99 %"));
             return form;
         },
         [](QDialog& d) { return static_cast<TformRequestDevice&>(d).txbComments->toPlainText(); },
         [](QDialog& d) { static_cast<TformRequestDevice&>(d).sBitBtn1->click(); }},
    };
    for (const Form& f : forms) {
        SCOPED_TRACE(f.name);
        FakePrompts prompts;
        prompts.openSucceeds = false;
        prompts.copyAnswer = true;
        const std::unique_ptr<QDialog> form = f.fill(prompts);
        f.send(*form);
        ASSERT_EQ(prompts.openedUrls.size(), 1);
        const QString url = prompts.openedUrls[0];
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(prompts.messages[0].text, QStringLiteral("No web browser could open this address: ") + url);
        EXPECT_EQ(prompts.copyOffers, QStringList{url});
        EXPECT_EQ(prompts.clipboard, url);
        EXPECT_EQ(form->result(), 0);
        EXPECT_EQ(f.typed(*form), QStringLiteral("It stops at 99 %"));

        prompts.openSucceeds = true;
        f.send(*form);
        EXPECT_EQ(prompts.openedUrls.size(), 2);
        EXPECT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(form->result(), QDialog::Accepted);
    }
}

TEST(AboutForm, NameVersionAndIcon)
{
    TAboutForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("About - Kovirta"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Kovirta"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Version " KOVIRTA_VERSION));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Version \\d+\\.\\d+\\.\\d+$")).match(form.Label2->text()).hasMatch())
        << form.Label2->text().toStdString();
    const QImage icon = TAboutForm::ProductIcon();
    EXPECT_EQ(icon.size(), QSize(96, 96));
    EXPECT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    form.Button1->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ForumUrl(kBase), kBase + QStringLiteral("forum/"));
    EXPECT_EQ(HomePageUrl(kBase), kBase);
}
