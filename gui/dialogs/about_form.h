// The about box: the product's icon, name and version.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    // The product icon, 96 by 96 pixels with an alpha channel, drawn for this program.
    static QImage ProductIcon();

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;
};
