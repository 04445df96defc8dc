// Where converted files go and what happens to existing outputs and to the sources: the
// destination choice with its folder, the overwrite choice, and the two file options.
#pragma once

#include "gui/window_panel.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TUserPrompts;

class TOutputPanel : public QWidget, public TWindowPanel {
    Q_OBJECT
public:
    TOutputPanel(TUserPrompts& prompts, QWidget* parent);

    // Handlers
    void PreserveFilesLocationRdoClick();
    void SaveFilesToFolderRdoClick();
    void DoBrowseForDestinationFolder();

    // The destination, the overwrite choice and the two file options.
    void FillConversionFields(TConversionFields& fields) const override;
    void SaveFields(TInterfaceFieldsShot& shot) const override;
    void RestoreFields(const TInterfaceFieldsShot& shot) override;

private:
    // The overwrite choices in the order of TOverwriteMode; the index of the selected one, -1 for none.
    std::array<QRadioButton*, 4> OverwriteButtons() const;
    int SelectedOverwriteMode() const;

    TUserPrompts& m_prompts;
    QFrame* DestinationGroup;
    QRadioButton* PreserveFilesLocationRdo;
    QRadioButton* SaveFilesToFolderRdo;
    QLineEdit* DestPathEdt;
    QPushButton* BrowseBtn;
    QFrame* FileOptionsGroup;
    QRadioButton* AskOverwriteRdo;
    QRadioButton* ReplaceOverwriteRdo;
    QRadioButton* SkipOverwriteRdo;
    QRadioButton* NoOverwriteRdo;
    QCheckBox* DeleteAfterConversionChk;
    QCheckBox* SetConvertedAsOriginalChk;
};
