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

#include <functional>

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
    // Files are added off the window's thread; the list is whole once the load is over.
    static bool listed(const TMainFrm& form)
    {
        return waitUntil([&] { return !form.FileList().IsLoading(); });
    }
    static QStringList names(const TMainFrm& form)
    {
        QStringList n;
        const auto* list = control<TListBoxDragExt>(form, "FilesLvw");
        for (int row = 0; row < list->RowCount(); ++row)
            n << list->topLevelItem(row)->text(1);
        return n;
    }
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
    // The first steps: what fills the list, and what comes first on the empty output side.
    auto* list = control<TListBoxDragExt>(*form, "FilesLvw");
    EXPECT_EQ(list->ShownHint(), QStringLiteral("Add videos with Add, or drop them here"));
    EXPECT_TRUE(control<QLabel>(*form, "NextStepLbl")->isVisible());
    EXPECT_EQ(control<QLabel>(*form, "NextStepLbl")->text(), QStringLiteral("Choose the kind of device above"));
    EXPECT_TRUE(prompts.messages.isEmpty());
    form->FileList().FileListManager()->AddFile(corpusFile(QStringLiteral("sample.avi")));
    EXPECT_TRUE(list->ShownHint().isEmpty());
    prompts.yesNoAnswers = {true};
    form->DoClear();
    EXPECT_FALSE(list->ShownHint().isEmpty());
    EXPECT_TRUE(closeForm(*form));
    EXPECT_FALSE(QFile::exists(preview()));
}

TEST_F(MainFormTest, ListSurvivesRestartsAndClearSticks)
{
    {
        auto form = start();
        form->FileList().FileListManager()->AddFiles(
            {corpusFile(QStringLiteral("sample.avi")), corpusFile(QStringLiteral("bear.ogv"))});
        EXPECT_TRUE(closeForm(*form));
    }
    QFile file(preview());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(),
              corpusFile(QStringLiteral("sample.avi")).toUtf8() + "\r\n"
                  + corpusFile(QStringLiteral("bear.ogv")).toUtf8() + "\r\n");
    file.close();
    {
        auto form = start();
        ASSERT_TRUE(listed(*form));
        EXPECT_EQ(names(*form), (TextList{"sample.avi", "bear.ogv"}));
        prompts.yesNoAnswers = {false, true};
        form->DoClear(); // No keeps every row
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 2);
        form->DoClear();
        EXPECT_EQ(prompts.questions.last().text, QStringLiteral("Are you sure you want to clear the list?"));
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 0);
        EXPECT_TRUE(closeForm(*form));
    }
    // The cleared list is what the next start shows.
    EXPECT_FALSE(QFile::exists(preview()));
    {
        auto form = start();
        ASSERT_TRUE(listed(*form));
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 0);
    }
    // A zero-byte list file is not loaded.
    writeFile(preview(), {});
    EXPECT_EQ(control<TListBoxDragExt>(*start(), "FilesLvw")->RowCount(), 0);
    EXPECT_TRUE(prompts.messages.isEmpty());
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

TEST_F(MainFormTest, AddingFilesAndFoldersReportsWhatWasLeftOut)
{
    QTemporaryDir media;
    const QString avi = media.path() + QStringLiteral("/clip.avi");
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.avi")), avi));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.mp4")), media.path() + QStringLiteral("/clip.MOV")));
    QDir(media.path()).mkpath(QStringLiteral("sub/.hidden"));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("fixture.3gp")),
                            media.path() + QStringLiteral("/sub/.hidden/phone.3gp")));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.flv")), media.path() + QStringLiteral("/sub/a.flv")));
    QTemporaryDir odd;
    const QString text = writeFile(odd.path() + QStringLiteral("/notes.mp4"), "a text file, renamed");
    const QString empty = writeFile(odd.path() + QStringLiteral("/empty.avi"), {});
    const QString missing = odd.path() + QStringLiteral("/gone.avi");
    const QString audio = corpusFile(QStringLiteral("no-tags.3g2"));

    auto form = start();
    // One file left out: said in a sentence that names it.
    prompts.openFilesAnswer = {audio};
    form->DoAddFile();
    ASSERT_TRUE(listed(*form));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Sorry, the file has no video stream: ") + audio);
    EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_TRUE(prompts.fileDialogs[0].startsWith(QStringLiteral("Open file|All Supported Formats|")));

    // A mixed selection: the readable files listed in the dialog's order, the others in one message.
    prompts.openFilesAnswer = {text,    corpusFile(QStringLiteral("bear.ogv")),   audio,
                               missing, corpusFile(QStringLiteral("sample.avi")), empty};
    form->DoAddFile();
    ASSERT_TRUE(listed(*form));
    EXPECT_EQ(names(*form), (TextList{"bear.ogv", "sample.avi"}));
    ASSERT_EQ(prompts.messages.size(), 2);
    const QStringList report = prompts.messages[1].text.split(QLatin1Char('\n'));
    ASSERT_EQ(report.size(), 6);
    EXPECT_EQ(report[0], QStringLiteral("4 files were not added:"));
    EXPECT_TRUE(report[2].startsWith(text + QStringLiteral(": the file format is unsupported or the file is broken (")))
        << report[2].toStdString();
    EXPECT_EQ(report[3], audio + QStringLiteral(": the file has no video stream"));
    EXPECT_EQ(report[4], missing + QStringLiteral(": the file was not found"));
    EXPECT_EQ(report[5], empty + QStringLiteral(": the file is empty"));

    // In name order, a folder's own files before its subfolders', the .MOV among them; hidden
    // folders are searched.
    prompts.folderAnswer = media.path();
    form->DoAddFolder();
    ASSERT_TRUE(listed(*form));
    EXPECT_EQ(names(*form), (TextList{"bear.ogv", "sample.avi", "clip.avi", "clip.MOV", "a.flv", "phone.3gp"}));
    EXPECT_EQ(prompts.messages.size(), 2);

    // A dropped folder is named; the file dropped with it is listed already, and that is said too.
    form->FilesLvwDropFile({media.path(), avi});
    ASSERT_TRUE(listed(*form));
    EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowCount(), 6);
    ASSERT_EQ(prompts.messages.size(), 3);
    EXPECT_EQ(prompts.messages[2].text,
              QStringLiteral("Sorry, this is a folder, not a file: ") + media.path()
                  + QStringLiteral("\n\n1 file was already in the list and was not added again."));
    EXPECT_EQ(prompts.messages[2].caption, QStringLiteral("Warning"));
}

TEST_F(MainFormTest, AddingSkipsFilesAlreadyListed)
{
    QTemporaryDir media;
    const QString root = media.path() + QLatin1Char('/');
    const QString a9 = copyOfCorpusFile(QStringLiteral("sample.avi"), media.path(), QStringLiteral("a9.avi"));
    const QString a10 = copyOfCorpusFile(QStringLiteral("sample.avi"), media.path(), QStringLiteral("a10.avi"));
    QDir(root).mkpath(QStringLiteral("sub"));
    const QString c =
        copyOfCorpusFile(QStringLiteral("sample.flv"), root + QStringLiteral("sub"), QStringLiteral("c.flv"));
    const QString missing = root + QStringLiteral("gone.avi");
    const QString playlist = writeFile(root + QStringLiteral("twice.m3u"), (a9 + QStringLiteral("\n") + a9).toUtf8());
    const QString again = QStringLiteral(" file was already in the list and was not added again.");
    const QString severalAgain = QStringLiteral(" files were already in the list and were not added again.");

    struct Case {
        const char* what;
        QStringList listed; // before the add
        std::function<void(TMainFrm&)> add;
        TextList names;  // after it
        QString message; // the add report, none when empty
        PromptIcon icon = PromptIcon::Information;
    };
    const auto addFiles = [this](const QStringList& files) {
        return [this, files](TMainFrm& form) {
            prompts.openFilesAnswer = files;
            form.DoAddFile();
        };
    };
    const auto addFolder = [this, root](TMainFrm& form) {
        prompts.folderAnswer = root;
        form.DoAddFolder();
    };
    const Case cases[] = {
        {"new files, in the order given", {}, addFiles({a10, a9}), {"a10.avi", "a9.avi"}, {}},
        {"a listed file added again", {a9}, addFiles({a9}), {"a9.avi"}, QStringLiteral("1") + again},
        {"one file under three spellings",
         {},
         addFiles({a9, root + QStringLiteral("./a9.avi"), root + QStringLiteral("sub/../a9.avi")}),
         {"a9.avi"},
         QStringLiteral("2") + severalAgain},
        {"a folder, in name order", {}, addFolder, {"a9.avi", "a10.avi", "c.flv"}, {}},
        {"a folder whose files are partly listed",
         {a10, c},
         addFolder,
         {"a10.avi", "c.flv", "a9.avi"},
         QStringLiteral("2") + severalAgain},
        {"a drop of a listed and a new file",
         {a9},
         [&](TMainFrm& form) {
             form.FilesLvwDropFile({a9, c});
         },
         {"a9.avi", "c.flv"},
         QStringLiteral("1") + again},
        {"a refused file with a listed one",
         {a9},
         addFiles({missing, a9}),
         {"a9.avi"},
         QStringLiteral("Sorry, the file was not found: ") + missing + QStringLiteral("\n\n1") + again,
         PromptIcon::Warning},
        {"a playlist is listed as it was written",
         {a9},
         [&](TMainFrm& form) {
             prompts.openFileAnswer = playlist;
             form.DoLoadPlaylist();
         },
         {"a9.avi", "a9.avi", "a9.avi"},
         {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        auto form = start();
        form->FileList().FileListManager()->AddFiles(row.listed);
        prompts.messages.clear();
        row.add(*form);
        ASSERT_TRUE(listed(*form));
        EXPECT_EQ(names(*form), row.names);
        if (row.message.isEmpty()) {
            EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();
        } else {
            ASSERT_EQ(prompts.messages.size(), 1);
            EXPECT_EQ(prompts.messages[0].text, row.message);
            EXPECT_EQ(prompts.messages[0].icon, row.icon);
        }
    }
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
    ASSERT_TRUE(listed(*form));
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
