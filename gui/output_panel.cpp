#include "gui/output_panel.h"

#include "core/conversion/conversion_fields.h"
#include "core/prompts/user_prompts.h"
#include "core/settings/interface_fields_shot.h"
#include "gui/panel_helpers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TOutputPanel::TOutputPanel(TUserPrompts& prompts, QWidget* parent) : QWidget(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("OutputPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    DestinationGroup = namedPanel(this, "DestinationGroup");
    DestinationGroup->setFrameShape(QFrame::StyledPanel);
    auto* destination = new QGridLayout(DestinationGroup);
    PreserveFilesLocationRdo = named(new QRadioButton(QStringLiteral("Preserve files location"), DestinationGroup),
                                     "PreserveFilesLocationRdo");
    SaveFilesToFolderRdo =
        named(new QRadioButton(QStringLiteral("Save files to folder"), DestinationGroup), "SaveFilesToFolderRdo");
    PreserveFilesLocationRdo->setChecked(true);
    DestPathEdt = named(new QLineEdit(DestinationGroup), "DestPathEdt");
    describe(DestPathEdt, QStringLiteral("Destination folder"),
             QStringLiteral("The folder the converted files are saved to; one that does not exist yet can be created"));
    BrowseBtn = named(new QPushButton(QStringLiteral("Browse"), DestinationGroup), "BrowseBtn");
    describe(BrowseBtn, QStringLiteral("Browse for the destination folder"));
    DestPathEdt->setEnabled(false);
    BrowseBtn->setEnabled(false);
    destination->addWidget(PreserveFilesLocationRdo, 0, 0, 1, 2);
    destination->addWidget(SaveFilesToFolderRdo, 1, 0, 1, 2);
    destination->addWidget(DestPathEdt, 2, 0);
    destination->addWidget(BrowseBtn, 2, 1);
    layout->addWidget(DestinationGroup);

    FileOptionsGroup = namedPanel(this, "FileOptionsGroup");
    FileOptionsGroup->setFrameShape(QFrame::StyledPanel);
    auto* fileOptions = new QGridLayout(FileOptionsGroup);
    AskOverwriteRdo = named(new QRadioButton(QStringLiteral("Ask"), FileOptionsGroup), "AskOverwriteRdo");
    // The caption labels the choices; its mnemonic goes to the first of them.
    fileOptions->addWidget(fieldLabel(QStringLiteral("Over&write existing file:"), AskOverwriteRdo), 0, 0, 1, 4);
    ReplaceOverwriteRdo = named(new QRadioButton(QStringLiteral("Replace"), FileOptionsGroup), "ReplaceOverwriteRdo");
    SkipOverwriteRdo = named(new QRadioButton(QStringLiteral("Skip"), FileOptionsGroup), "SkipOverwriteRdo");
    NoOverwriteRdo =
        named(new QRadioButton(QStringLiteral("No, generate new name"), FileOptionsGroup), "NoOverwriteRdo");
    AskOverwriteRdo->setChecked(true);
    for (QRadioButton* choice : {AskOverwriteRdo, ReplaceOverwriteRdo, SkipOverwriteRdo, NoOverwriteRdo})
        choice->setAccessibleDescription(QStringLiteral("What happens when a converted file exists already"));
    fileOptions->addWidget(AskOverwriteRdo, 1, 0);
    fileOptions->addWidget(ReplaceOverwriteRdo, 1, 1);
    fileOptions->addWidget(SkipOverwriteRdo, 1, 2);
    fileOptions->addWidget(NoOverwriteRdo, 1, 3);
    DeleteAfterConversionChk = named(new QCheckBox(QStringLiteral("Delete files after conversion"), FileOptionsGroup),
                                     "DeleteAfterConversionChk");
    SetConvertedAsOriginalChk =
        named(new QCheckBox(QStringLiteral("Set converted file data as original"), FileOptionsGroup),
              "SetConvertedAsOriginalChk");
    fileOptions->addWidget(DeleteAfterConversionChk, 2, 0, 1, 4);
    fileOptions->addWidget(SetConvertedAsOriginalChk, 3, 0, 1, 4);
    layout->addWidget(FileOptionsGroup);

    connect(PreserveFilesLocationRdo, &QRadioButton::toggled, this, &TOutputPanel::PreserveFilesLocationRdoClick);
    connect(SaveFilesToFolderRdo, &QRadioButton::toggled, this, &TOutputPanel::SaveFilesToFolderRdoClick);
    connect(BrowseBtn, &QPushButton::clicked, this, &TOutputPanel::DoBrowseForDestinationFolder);
}

void TOutputPanel::PreserveFilesLocationRdoClick()
{
    const bool folder = !PreserveFilesLocationRdo->isChecked();
    DestPathEdt->setEnabled(folder);
    BrowseBtn->setEnabled(folder);
}

void TOutputPanel::SaveFilesToFolderRdoClick()
{
    const bool folder = SaveFilesToFolderRdo->isChecked();
    DestPathEdt->setEnabled(folder);
    BrowseBtn->setEnabled(folder);
}

void TOutputPanel::DoBrowseForDestinationFolder()
{
    DestPathEdt->setText(m_prompts.BrowseForFolder());
}

std::array<QRadioButton*, 4> TOutputPanel::OverwriteButtons() const
{
    return {AskOverwriteRdo, ReplaceOverwriteRdo, SkipOverwriteRdo, NoOverwriteRdo};
}

int TOutputPanel::SelectedOverwriteMode() const
{
    const auto buttons = OverwriteButtons();
    for (int mode = 0; mode < static_cast<int>(buttons.size()); ++mode) {
        if (buttons[static_cast<size_t>(mode)]->isChecked())
            return mode;
    }
    return -1;
}

void TOutputPanel::FillConversionFields(TConversionFields& fields) const
{
    fields.PreserveLocation = PreserveFilesLocationRdo->isChecked();
    fields.SaveToFolder = SaveFilesToFolderRdo->isChecked();
    fields.DestinationFolder = DestPathEdt->text();
    fields.OverwriteMode = SelectedOverwriteMode();
    fields.DeleteAfterConversion = DeleteAfterConversionChk->isChecked();
    fields.SetConvertedAsOriginal = SetConvertedAsOriginalChk->isChecked();
}

void TOutputPanel::SaveFields(TInterfaceFieldsShot& shot) const
{
    shot.SetPreserveFileLocation(PreserveFilesLocationRdo->isChecked());
    shot.SetFilesFolder(DestPathEdt->text());
    if (SelectedOverwriteMode() >= 0)
        shot.SetCheckOverwrites(SelectedOverwriteMode());
    shot.SetConvertedFileDataAsOriginal(SetConvertedAsOriginalChk->isChecked());
    shot.SetDeleteFileAfterConversion(DeleteAfterConversionChk->isChecked());
}

void TOutputPanel::RestoreFields(const TInterfaceFieldsShot& shot)
{
    SetConvertedAsOriginalChk->setChecked(shot.GetConvertedFileDataAsOriginal());
    DeleteAfterConversionChk->setChecked(shot.GetDeleteFileAfterConversion());
    // Selecting a button runs its handler, so the folder controls follow the choice.
    (shot.GetPreserveFileLocation() ? PreserveFilesLocationRdo : SaveFilesToFolderRdo)->setChecked(true);
    DestPathEdt->setText(shot.GetFilesFolder());
    const int mode = shot.GetCheckOverwrites();
    if (mode >= 0 && mode < static_cast<int>(OverwriteButtons().size()))
        OverwriteButtons()[static_cast<size_t>(mode)]->setChecked(true);
}
