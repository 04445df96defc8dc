// "Report a bug": name, e-mail and a description, sent as a web address to the vendor's site.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTextEdit;
class TUserPrompts;

class TfrmReportBug : public QDialog {
    Q_OBJECT
public:
    TfrmReportBug(TUserPrompts& prompts, const QString& siteBase, QWidget* parent = nullptr);

    QLineEdit* txbName;
    QLineEdit* txbEmail;
    QTextEdit* txbBugDescription;
    QPushButton* Button1;

    void Button1Click();

private:
    TUserPrompts& m_prompts;
    QString m_siteBase;
};
