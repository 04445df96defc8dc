#include "gui/dialogs/about_form.h"
#include "gui/form_helpers.h"

#include "core/kovirta_config.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

QImage TAboutForm::ProductIcon()
{
    // A film frame turning into a small screen: two rounded panels and a play mark.
    QImage icon(96, 96, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2F, 0x6F, 0xB5));
    p.drawRoundedRect(QRectF(6, 14, 60, 52), 10, 10);
    p.setBrush(QColor(0xF2, 0xA5, 0x3A));
    p.drawRoundedRect(QRectF(46, 34, 44, 56), 8, 8);
    p.setBrush(Qt::white);
    QPainterPath play;
    play.moveTo(24, 26);
    play.lineTo(50, 40);
    play.lineTo(24, 54);
    play.closeSubpath();
    p.drawPath(play);
    p.setBrush(QColor(0x1D, 0x2B, 0x3A));
    p.drawRoundedRect(QRectF(52, 42, 32, 34), 3, 3);
    p.setBrush(QColor(0x8F, 0xC1, 0xEE));
    p.drawRect(QRectF(55, 45, 26, 14));
    return icon;
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent, kFixedDialogFlags)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About - Kovirta"));
    auto* grid = new QGridLayout(this);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(ProductIcon()));
    Image1->setFixedSize(96, 96);
    Label1 = new QLabel(QStringLiteral("Kovirta"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont big = Label1->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    Label1->setFont(big);
    Label2 = new QLabel(QStringLiteral("Version ") + QStringLiteral(KOVIRTA_VERSION), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    grid->addWidget(Image1, 0, 0, 2, 1);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(Label2, 1, 1);
    grid->addWidget(Button1, 2, 0, 1, 2, Qt::AlignCenter);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint());
}
