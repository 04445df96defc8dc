// The main window offscreen, over a temporary program directory holding the real encoder.
#include "core/media/file_list_manager.h"
#include "fake_prompts.h"
#include "gui/file_list_panel.h"
#include "gui/list_box_drag_ext.h"
#include "gui/main_form.h"
#include "test_support.h"
#include "window_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(programDir.path()).mkpath(QStringLiteral("encoder"));
        ASSERT_TRUE(QFile::link(realEncoder(), programDir.path() + QStringLiteral("/encoder/encoder")));
    }
    QString dir() const { return programDir.path() + QLatin1Char('/'); }
    QString preview() const { return dir() + QStringLiteral("preview.m3u"); }
    std::unique_ptr<TMainFrm> start() { return std::make_unique<TMainFrm>(dir(), prompts); }
    static bool closeForm(TMainFrm& form)
    {
        QCloseEvent event;
        QCoreApplication::sendEvent(&form, &event);
        return event.isAccepted();
    }

    QTemporaryDir programDir;
    FakePrompts prompts;
};

} // namespace

TEST_F(MainFormTest, FirstStart)
{
    auto form = start();
    form->show();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kovirta"));
    EXPECT_EQ(form->size(), QSize(856, 643));
    for (const char* button : {"btnMediaPlayer", "btnMobilePhone", "btnPocketComputer", "btnGameConsole"})
        EXPECT_FALSE(control<QPushButton>(*form, button)->isChecked()) << button;
    EXPECT_EQ(control<QPushButton>(*form, "btnGameConsole")->property("Tag").toInt(), 4);
    EXPECT_FALSE(control<QFrame>(*form, "ManufacturerPanel")->isVisible());
    EXPECT_FALSE(control<QFrame>(*form, "OptionsPanel")->isVisible());
    EXPECT_FALSE(control<QPushButton>(*form, "ConvertBtn")->isVisible());
    EXPECT_TRUE(control<QFrame>(*form, "FileInfoPanel")->isVisible());
    EXPECT_FALSE(control<QCheckBox>(*form, "ShowFileInfoChk")->isChecked());
    EXPECT_TRUE(control<QLabel>(*form, "DurationInfo")->text().isEmpty());
    EXPECT_FALSE(control<QToolButton>(*form, "PlayBtn")->isEnabled());
    EXPECT_TRUE(control<QRadioButton>(*form, "PreserveFilesLocationRdo")->isChecked());
    EXPECT_FALSE(control<QLineEdit>(*form, "DestPathEdt")->isEnabled());
    EXPECT_TRUE(control<QRadioButton>(*form, "AskOverwriteRdo")->isChecked());
    EXPECT_EQ(control<QComboBox>(*form, "VideoQualityCmb")->currentIndex(), -1);
    EXPECT_EQ(control<QComboBox>(*form, "ZoomModeCmb")->currentText(), QStringLiteral("Fit to Screen"));
    EXPECT_EQ(control<QLineEdit>(*form, "VolumeInputEdt")->text(), QStringLiteral("100"));
    EXPECT_FALSE(control<QLineEdit>(*form, "VolumeInputEdt")->isEnabled());
    EXPECT_EQ(control<QToolButton>(*form, "DoRemovePopupShowBtn")->text(), QStringLiteral("  Remove  "));
    EXPECT_TRUE(control<QTimer>(*form, "InterfaceInteractive")->isActive());
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_TRUE(closeForm(*form));
    EXPECT_FALSE(QFile::exists(preview()));
}

TEST_F(MainFormTest, ListSurvivesRestartsAndAnEmptyListKeepsTheOldFile)
{
    {
        auto form = start();
        form->FileList().FileListManager()->AddFiles(
            {corpusFile(QStringLiteral("sample.avi")), corpusFile(QStringLiteral("bear.ogv"))});
        EXPECT_TRUE(closeForm(*form));
    }
    QFile file(preview());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();
    EXPECT_EQ(saved,
              corpusFile(QStringLiteral("sample.avi")).toUtf8() + "\r\n"
                  + corpusFile(QStringLiteral("bear.ogv")).toUtf8() + "\r\n");
    {
        auto form = start();
        ASSERT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 2);
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->topLevelItem(1)->text(1), QStringLiteral("bear.ogv"));
        prompts.yesNoAnswers = {false, true};
        form->DoClear(); // No keeps every row
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 2);
        form->DoClear();
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 0);
        EXPECT_TRUE(closeForm(*form));
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), saved);
    file.close();
    // A zero-byte list file is not loaded.
    writeFile(preview(), {});
    EXPECT_EQ(control<TListBoxDragExt>(*start(), "FilesLvw")->RowCount(), 0);
}

TEST_F(MainFormTest, ListThatCannotBeWrittenKeepsTheWindowOpen)
{
    QDir().mkpath(preview()); // a folder where the list file should be
    auto form = start();
    form->FileList().FileListManager()->AddFile(corpusFile(QStringLiteral("sample.avi")));
    EXPECT_FALSE(closeForm(*form));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].text.startsWith(QStringLiteral("Cannot create file")));
    EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 1);
}

TEST_F(MainFormTest, DestinationControlsFollowTheChoice)
{
    auto form = start();
    control<QRadioButton>(*form, "SaveFilesToFolderRdo")->click();
    EXPECT_TRUE(control<QLineEdit>(*form, "DestPathEdt")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(*form, "BrowseBtn")->isEnabled());
    prompts.folderAnswer = QStringLiteral("/media/out");
    control<QPushButton>(*form, "BrowseBtn")->click();
    EXPECT_EQ(control<QLineEdit>(*form, "DestPathEdt")->text(), QStringLiteral("/media/out"));
    control<QRadioButton>(*form, "PreserveFilesLocationRdo")->click();
    EXPECT_FALSE(control<QLineEdit>(*form, "DestPathEdt")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(*form, "BrowseBtn")->isEnabled());
    EXPECT_EQ(control<QLineEdit>(*form, "DestPathEdt")->text(), QStringLiteral("/media/out"));
    control<QRadioButton>(*form, "SaveFilesToFolderRdo")->click();
    prompts.folderAnswer.clear();
    control<QPushButton>(*form, "BrowseBtn")->click(); // a cancelled picker empties the field
    EXPECT_TRUE(control<QLineEdit>(*form, "DestPathEdt")->text().isEmpty());
}

TEST_F(MainFormTest, AddingFilesAndFolders)
{
    QTemporaryDir media;
    const QString avi = media.path() + QStringLiteral("/clip.avi");
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.avi")), avi));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.mp4")), media.path() + QStringLiteral("/clip.MOV")));
    QDir(media.path()).mkpath(QStringLiteral("sub/.hidden"));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("fixture.3gp")),
                            media.path() + QStringLiteral("/sub/.hidden/phone.3gp")));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.flv")), media.path() + QStringLiteral("/sub/a.flv")));

    auto form = start();
    prompts.openFilesAnswer = {corpusFile(QStringLiteral("no-tags.3g2"))};
    form->DoAddFile();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Sorry, the file format is unsuported or file is broken"));
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_TRUE(prompts.fileDialogs[0].startsWith(QStringLiteral("Open file|All Supported Formats|")));
    prompts.openFilesAnswer = {corpusFile(QStringLiteral("no-tags.3g2")), corpusFile(QStringLiteral("bear.ogv"))};
    form->DoAddFile();
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 1);

    // Grouped by extension in the search's order, the .MOV among them; hidden folders are searched.
    prompts.folderAnswer = media.path();
    form->DoAddFolder();
    QStringList names;
    for (int row = 0; row < control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(); ++row)
        names << control<TListBoxDragExt>(*form, "FilesLvw")->topLevelItem(row)->text(1);
    EXPECT_EQ(names, (TextList{"bear.ogv", "phone.3gp", "clip.avi", "a.flv", "clip.MOV"}));

    // Dropped folders are refused silently.
    form->FilesLvwDropFile({media.path(), avi});
    EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 6);
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST_F(MainFormTest, DraggingSelectionAndTheInfoPanel)
{
    auto form = start();
    form->FileList().FileListManager()->AddFiles({corpusFile(QStringLiteral("bear.ogv")),
                                                  corpusFile(QStringLiteral("sample.mp4")),
                                                  corpusFile(QStringLiteral("sample.avi"))});
    TListBoxDragExt* list = control<TListBoxDragExt>(*form, "FilesLvw");
    list->clearSelection();
    list->topLevelItem(2)->setSelected(true);
    form->FilesLvwDragDrop(0); // row 3 onto row 1
    QStringList names;
    for (int row = 0; row < 3; ++row)
        names << list->topLevelItem(row)->text(0) + QLatin1Char(' ') + list->topLevelItem(row)->text(1);
    EXPECT_EQ(names, (TextList{"1 sample.avi", "2 bear.ogv", "3 sample.mp4"}));

    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_EQ(control<QLabel>(*form, "DurationInfo")->text(), QStringLiteral("00:00:04.09"));
    EXPECT_EQ(control<QLabel>(*form, "VideoCodecInfo")->text(), QStringLiteral("mpeg4"));
    EXPECT_EQ(control<QLabel>(*form, "ResolutionInfo")->text(), QStringLiteral("960x400"));
    EXPECT_EQ(control<QLabel>(*form, "ChanelsInfo")->text(), QStringLiteral("stereo"));
    EXPECT_EQ(control<QLabel>(*form, "SamplingInfo")->text(), QStringLiteral("48000 Hz"));
    EXPECT_EQ(control<QLabel>(*form, "SizeInfo")->text(), QStringLiteral("0.31 mb"));
    EXPECT_EQ(control<QLabel>(*form, "lblPath")->text(), corpusFile(QStringLiteral("sample.avi")));
    EXPECT_TRUE(control<QToolButton>(*form, "PlayBtn")->isEnabled());
    form->DoPlay();
    EXPECT_EQ(prompts.openedPaths, QStringList{corpusFile(QStringLiteral("sample.avi"))});

    list->setCurrentItem(list->topLevelItem(2));
    EXPECT_EQ(control<QLabel>(*form, "ChanelsInfo")->text(), QStringLiteral("mono"));

    // Rows dragged below the last row go to the end.
    list->clearSelection();
    list->topLevelItem(0)->setSelected(true);
    form->FilesLvwDragDrop(-1);
    EXPECT_EQ(list->topLevelItem(2)->text(1), QStringLiteral("sample.avi"));
    EXPECT_EQ(form->FileList().FileListManager()->ExportInfos()[2].FileName, QStringLiteral("sample.avi"));

    // With nothing selected the panel empties at a tick of its timer.
    list->clearSelection();
    EXPECT_TRUE(QTest::qWaitFor([&] { return control<QLabel>(*form, "DurationInfo")->text().isEmpty(); }));
    EXPECT_FALSE(control<QToolButton>(*form, "PlayBtn")->isEnabled());

    // Delete removes the selection without asking.
    list->topLevelItem(1)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->RowCount(), 2);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->RowCount(), 2);
}

TEST_F(MainFormTest, WhatCannotBeOpenedIsNamedAndOfferedForCopying)
{
    auto form = start();
    form->FileList().FileListManager()->AddFile(corpusFile(QStringLiteral("sample.avi")));
    control<TListBoxDragExt>(*form, "FilesLvw")->topLevelItem(0)->setSelected(true);
    prompts.openSucceeds = false;
    control<QAction>(*form, "Forum1")->trigger();
    form->DoPlay();
    ASSERT_EQ(prompts.openedUrls.size(), 1);
    EXPECT_TRUE(prompts.openedUrls[0].endsWith(QStringLiteral("forum/")));
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("No web browser could open this address: ") + prompts.openedUrls[0]);
    EXPECT_EQ(prompts.messages[1].text,
              QStringLiteral("The file could not be opened: ") + corpusFile(QStringLiteral("sample.avi")));
    EXPECT_EQ(prompts.copyOffers, (QStringList{prompts.openedUrls[0], corpusFile(QStringLiteral("sample.avi"))}));
    EXPECT_TRUE(prompts.clipboard.isEmpty()); // "Copy" was not chosen
}

TEST_F(MainFormTest, SavingAndLoadingPlaylists)
{
    QTemporaryDir lists;
    auto form = start();
    prompts.yesNoAnswers = {true};
    prompts.saveFileAnswer = lists.path() + QStringLiteral("/empty");
    form->DoSavePlaylist(); // asked, then nothing written for an empty list
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_FALSE(QFile::exists(lists.path() + QStringLiteral("/empty.m3u")));

    form->FileList().FileListManager()->AddFile(corpusFile(QStringLiteral("sample.avi")));
    prompts.saveFileAnswer = lists.path() + QStringLiteral("/list");
    form->DoSavePlaylist();
    EXPECT_TRUE(QFile::exists(lists.path() + QStringLiteral("/list.m3u")));
    prompts.saveFileAnswer = lists.path() + QStringLiteral("/list.txt");
    form->DoSavePlaylist();
    EXPECT_TRUE(QFile::exists(lists.path() + QStringLiteral("/list.txt")));

    prompts.openFileAnswer = lists.path() + QStringLiteral("/list.m3u");
    form->DoLoadPlaylist();
    EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 2);
    EXPECT_TRUE(prompts.fileDialogs.last().startsWith(QStringLiteral("Open files list|Play List(*.m3u)|*.m3u")));
}

TEST_F(MainFormTest, ShowFileInfoHeights)
{
    auto form = start();
    form->show();
    control<QCheckBox>(*form, "ShowFileInfoChk")->click();
    EXPECT_EQ(control<QFrame>(*form, "FileInfoPanelWrap")->height(), 208);
    EXPECT_TRUE(control<QFrame>(*form, "FileInfoPanel")->isVisible());
    control<QCheckBox>(*form, "ShowFileInfoChk")->click();
    EXPECT_EQ(control<QFrame>(*form, "FileInfoPanelWrap")->height(), 29);
    EXPECT_FALSE(control<QFrame>(*form, "FileInfoPanel")->isVisible());
}
