// "FREE Device Request": asks the vendor to add a device, sent as a web address.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTextEdit;
class TUserPrompts;

class TformRequestDevice : public QDialog {
    Q_OBJECT
public:
    TformRequestDevice(TUserPrompts& prompts, const QString& siteBase, QWidget* parent = nullptr);

    QLineEdit* txbFullName;
    QLineEdit* txbEmail;
    QComboBox* lstDeviceTypes;
    QLineEdit* txbManufacturer;
    QLineEdit* txbModel;
    QLineEdit* txbSpecificationURL;
    QTextEdit* txbComments;
    QPushButton* sBitBtn1;

    void sBitBtn1Click();
    void SendRequest();
    bool CheckFields();

private:
    TUserPrompts& m_prompts;
    QString m_siteBase;
};
