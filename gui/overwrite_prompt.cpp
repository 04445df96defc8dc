#include "gui/overwrite_prompt.h"

#include "core/media/file_utils.h"

#include "gui/form_helpers.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {

// The room kept free at the window's right edge.
constexpr int kRightMargin = 12;

QPushButton* button(QWidget* parent, const QString& name, const QString& text, int left, int top)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(left, top, 75, 21);
    return b;
}

} // namespace

TOverwriteFilePromt::TOverwriteFilePromt(QWidget* parent) : QDialog(parent, kFixedDialogFlags)
{
    setWindowTitle(QStringLiteral("Overwrite File"));
    setFixedSize(285, 177);
    Label1 = placedLabel(this, QStringLiteral("Label1"), QStringLiteral("File:"), 24, 16);
    FileNameLbl = placedLabel(this, QStringLiteral("FileNameLbl"), QString(), 50, 16);
    Label3 = placedLabel(this, QStringLiteral("Label3"), QStringLiteral("Already exists in:"), 24, 35);
    FilePathLbl = placedLabel(this, QStringLiteral("FilePathLbl"), QString(), 27, 54);
    FilePathLbl->setFixedWidth(232);
    Label4 = placedLabel(this, QStringLiteral("Label4"), QStringLiteral("Overwrite existing file?"), 80, 80);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Label4->adjustSize();
    YesAnswearBtn = button(this, QStringLiteral("YesAnswearBtn"), QStringLiteral("Yes"), 24, 112);
    YesAllAnswearBtn = button(this, QStringLiteral("YesAllAnswearBtn"), QStringLiteral("Yes, All"), 24, 139);
    NoAnswearBtn = button(this, QStringLiteral("NoAnswearBtn"), QStringLiteral("No"), 184, 112);
    NoAllAnswearBtn = button(this, QStringLiteral("NoAllAnswearBtn"), QStringLiteral("No, All"), 184, 139);
    // The answers' own words say little without the question; what each does is their description.
    YesAnswearBtn->setAccessibleDescription(QStringLiteral("Replaces this file"));
    YesAllAnswearBtn->setAccessibleDescription(QStringLiteral("Replaces this file and every other one that exists"));
    NoAnswearBtn->setAccessibleDescription(QStringLiteral("Keeps this file and does not convert into it"));
    NoAllAnswearBtn->setAccessibleDescription(QStringLiteral("Keeps this file and every other one that exists"));
    connect(YesAnswearBtn, &QPushButton::clicked, this, [this] { answer(oaYes); });
    connect(YesAllAnswearBtn, &QPushButton::clicked, this, [this] { answer(oaYesAll); });
    connect(NoAnswearBtn, &QPushButton::clicked, this, [this] { answer(oaNo); });
    connect(NoAllAnswearBtn, &QPushButton::clicked, this, [this] { answer(oaNoAll); });
}

void TOverwriteFilePromt::FormShow()
{
    // The window keeps its size: a long name or folder is shortened in its middle and shown
    // whole as the tooltip of either label.
    const QString name = FileNameOfPath(FileName);
    const QString folder = FileName.left(FileName.size() - name.size());
    const QFontMetrics metrics = FileNameLbl->fontMetrics();
    FileNameLbl->setText(metrics.elidedText(name, Qt::ElideMiddle, width() - FileNameLbl->x() - kRightMargin));
    FileNameLbl->adjustSize();
    FilePathLbl->setText(metrics.elidedText(folder, Qt::ElideMiddle, FilePathLbl->contentsRect().width()));
    for (QLabel* label : {FileNameLbl, FilePathLbl})
        label->setToolTip(FileName);
}

void TOverwriteFilePromt::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TOverwriteFilePromt::answer(TOverwriteAnswer value)
{
    Answer = value;
    accept();
}
