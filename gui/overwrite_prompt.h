// The small modal question shown when an output file exists already.
#pragma once

#include "core/prompts/user_prompts.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TOverwriteFilePromt : public QDialog {
    Q_OBJECT
public:
    explicit TOverwriteFilePromt(QWidget* parent = nullptr);

    QString FileName;                 // full path of the existing output, set before showing
    TOverwriteAnswer Answer = oaNone; // stays oaNone when closed from the title bar

    QLabel* Label1;
    QLabel* FileNameLbl;
    QLabel* Label3;
    QLabel* FilePathLbl;
    QLabel* Label4;
    QPushButton* YesAnswearBtn;
    QPushButton* YesAllAnswearBtn;
    QPushButton* NoAnswearBtn;
    QPushButton* NoAllAnswearBtn;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void answer(TOverwriteAnswer value);
};
