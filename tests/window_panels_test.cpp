// The main window's panels on their own, without the window: each owns its controls and
// handlers, fills its part of a conversion request, and saves and restores its remembered fields.
#include "core/conversion/conversion_fields.h"
#include "core/media/file_list_manager.h"
#include "core/settings/interface_fields_shot.h"
#include "fake_prompts.h"
#include "gui/device_panel.h"
#include "gui/file_list_panel.h"
#include "gui/output_panel.h"
#include "gui/quality_panel.h"
#include "test_support.h"
#include "window_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The remembered fields start empty and are left empty for the tests after these.
class WindowPanels : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
    void TearDown() override { clearSettings(); }
    static void clearSettings()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix")).clear();
    }
};

TConversionFields fieldsOf(const TWindowPanel& panel)
{
    TConversionFields fields;
    panel.FillConversionFields(fields);
    return fields;
}

} // namespace

TEST_F(WindowPanels, OutputPanelFillsItsFieldsAndBringsThemBack)
{
    FakePrompts prompts;
    TOutputPanel panel(prompts, nullptr);
    TConversionFields fields = fieldsOf(panel);
    EXPECT_TRUE(fields.PreserveLocation);
    EXPECT_FALSE(fields.SaveToFolder);
    EXPECT_EQ(fields.OverwriteMode, 0);

    control<QRadioButton>(panel, "SaveFilesToFolderRdo")->click();
    prompts.folderAnswer = QStringLiteral("/media/out");
    control<QPushButton>(panel, "BrowseBtn")->click();
    control<QRadioButton>(panel, "ReplaceOverwriteRdo")->click();
    control<QCheckBox>(panel, "DeleteAfterConversionChk")->click();
    fields = fieldsOf(panel);
    EXPECT_FALSE(fields.PreserveLocation);
    EXPECT_TRUE(fields.SaveToFolder);
    EXPECT_EQ(fields.DestinationFolder, QStringLiteral("/media/out"));
    EXPECT_EQ(fields.OverwriteMode, 1);
    EXPECT_TRUE(fields.DeleteAfterConversion);
    EXPECT_FALSE(fields.SetConvertedAsOriginal);

    {
        TInterfaceFieldsShot shot(3);
        panel.SaveFields(shot);
    }
    TOutputPanel restored(prompts, nullptr);
    restored.RestoreFields(TInterfaceFieldsShot(3));
    const TConversionFields again = fieldsOf(restored);
    EXPECT_TRUE(again.SaveToFolder);
    EXPECT_EQ(again.DestinationFolder, fields.DestinationFolder);
    EXPECT_EQ(again.OverwriteMode, 1);
    EXPECT_TRUE(again.DeleteAfterConversion);
    EXPECT_TRUE(control<QLineEdit>(restored, "DestPathEdt")->isEnabled());
}

TEST_F(WindowPanels, QualityPanelFillsFromTheModelItIsGivenAndAsksToRememberAReset)
{
    FakePrompts prompts;
    TQualityPanel panel(prompts, nullptr);
    TDeviceModel model;
    model.ResolutionX = QStringLiteral("320");
    model.ResolutionY = QStringLiteral("240");
    model.Best.Video.BitRate = QStringLiteral("384");
    model.Best.Audio.Channels = 1;
    panel.ApplyModel(model);

    TConversionFields fields = fieldsOf(panel);
    EXPECT_EQ(fields.VideoQualityIndex, 0);
    EXPECT_EQ(fields.AudioQualityIndex, 0);
    EXPECT_EQ(fields.VideoBitRate, QStringLiteral("384"));
    EXPECT_EQ(fields.FrameRate, QStringLiteral("30")); // the suggestion for "Best"
    EXPECT_EQ(fields.ResolutionX + QLatin1Char('x') + fields.ResolutionY, QStringLiteral("320x240"));
    EXPECT_TRUE(fields.Mono);
    EXPECT_FALSE(fields.FromSource.VideoBitRate);
    EXPECT_TRUE(fields.FromSource.FrameRate);
    EXPECT_FALSE(fields.FromSource.Channels);

    QSignalSpy reset(&panel, &TQualityPanel::optionsReset);
    control<QLineEdit>(panel, "VideoBitRateEdt")->setText(QStringLiteral("500"));
    prompts.yesNoAnswers = {false, true};
    control<QPushButton>(panel, "ResetVideoOptionsBtn")->click();
    EXPECT_EQ(reset.count(), 0);
    control<QPushButton>(panel, "ResetVideoOptionsBtn")->click();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(fieldsOf(panel).VideoBitRate, QStringLiteral("384"));
}

TEST_F(WindowPanels, DevicePanelLoadsAClassAndSaysWhatWasChosen)
{
    QTemporaryDir program;
    const QString dir = program.path() + QLatin1Char('/');
    writeFile(dir + QStringLiteral("MobilePhone.dat"),
              R"(<Devices><Manufacturer><Name>Phoneco</Name><Logo>logos/none.jpg</Logo><Models>
  <Model><Name>P1</Name><ResolutionX>240</ResolutionX><ResolutionY>320</ResolutionY>
  </Model></Models></Manufacturer></Devices>)");
    FakePrompts prompts;
    TDevicePanel panel(dir, prompts, nullptr);
    QSignalSpy loaded(&panel, &TDevicePanel::catalogueLoaded);
    QSignalSpy hidden(&panel, &TDevicePanel::detailsHidden);
    QSignalSpy chosen(&panel, &TDevicePanel::modelChosen);
    QSignalSpy clicked(&panel, &TDevicePanel::deviceClassClicked);

    EXPECT_FALSE(panel.OpenDeviceClass()); // no class chosen, none stored
    control<QPushButton>(panel, "btnMobilePhone")->click();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 2);
    EXPECT_EQ(panel.DeviceClass(), 0); // the window decides what a click does

    panel.SetDeviceClass(2);
    ASSERT_TRUE(panel.OpenDeviceClass());
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_TRUE(panel.Store());
    EXPECT_TRUE(control<QPushButton>(panel, "btnMobilePhone")->isChecked());

    auto* manufacturer = control<QComboBox>(panel, "ManufacturerCmb");
    manufacturer->setCurrentIndex(0);
    panel.DoSelectManufacturer();
    EXPECT_EQ(hidden.count(), 1);
    control<QComboBox>(panel, "ModelCmb")->setCurrentIndex(0);
    panel.DoSelectModel();
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(panel.CurrentModel().ResolutionX, QStringLiteral("240"));
    const TConversionFields fields = fieldsOf(panel);
    EXPECT_EQ(fields.DeviceClass, 2);
    EXPECT_EQ(fields.Manufacturer, QStringLiteral("Phoneco"));
    EXPECT_EQ(fields.Model, QStringLiteral("P1"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(WindowPanels, FileListPanelOpensCountsAndStoresItsList)
{
    QTemporaryDir program;
    const QString dir = program.path() + QLatin1Char('/');
    QDir(dir).mkpath(QStringLiteral("encoder"));
    ASSERT_TRUE(QFile::link(realEncoder(), dir + QStringLiteral("encoder/encoder")));
    FakePrompts prompts;
    TFileListPanel panel(dir, prompts, nullptr);
    EXPECT_FALSE(panel.FileListManager()); // no list until it is opened
    panel.OpenList(dir + QStringLiteral("none.m3u"));
    ASSERT_TRUE(panel.FileListManager());
    panel.FileListManager()->AddFile(corpusFile(QStringLiteral("sample.avi")));
    EXPECT_EQ(fieldsOf(panel).FileCount, 1);

    const QString listFile = dir + QStringLiteral("list.m3u");
    EXPECT_TRUE(panel.CloseList(listFile));
    EXPECT_FALSE(panel.FileListManager());
    EXPECT_FALSE(control<QTimer>(panel, "InterfaceInteractive")->isActive());
    TFileListPanel reopened(dir, prompts, nullptr);
    reopened.OpenList(listFile);
    ASSERT_TRUE(waitUntil([&] { return !reopened.IsLoading(); }));
    EXPECT_EQ(fieldsOf(reopened).FileCount, 1);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(WindowPanels, FileListPanelShowsItsLoadCancelsItAndKeepsUnlistedFilesOnClose)
{
    FakeProgramDir program;
    program.setScript({QStringLiteral("when b.avi hang"),
                       QStringLiteral("err   Duration: 00:00:01.00, start: 0.0, bitrate: 1 kb/s\\n"),
                       QStringLiteral("err     Stream #0.0: Video: h264, yuv420p, 320x240, 25.00 fps(r)\\n")});
    QTemporaryDir media;
    QByteArray lines;
    for (const char* name : {"a.avi", "b.avi", "c.avi"})
        lines += writeFile(media.path() + QLatin1Char('/') + QLatin1String(name), "x").toUtf8() + "\r\n";
    const QString cancelled = writeFile(media.path() + QStringLiteral("/cancelled.m3u"), lines);
    const QString closed = writeFile(media.path() + QStringLiteral("/closed.m3u"), lines);
    FakePrompts prompts;
    for (const QString& listFile : {cancelled, closed}) {
        TFileListPanel panel(program.path(), prompts, nullptr);
        QSignalSpy loading(&panel, &TFileListPanel::loadingChanged);
        panel.OpenList(listFile);
        EXPECT_TRUE(panel.IsLoading());
        ASSERT_TRUE(waitUntil([&] { return fieldsOf(panel).FileCount == 1; })); // b.avi never ends
        EXPECT_TRUE(control<QFrame>(panel, "LoadPanel")->isVisibleTo(&panel));
        EXPECT_EQ(control<QLabel>(panel, "LoadProgressLbl")->text(), QStringLiteral("Adding 1 of 3 files\u2026"));
        if (listFile == cancelled) {
            control<QPushButton>(panel, "LoadCancelBtn")->click();
            EXPECT_FALSE(panel.IsLoading());
            EXPECT_FALSE(control<QFrame>(panel, "LoadPanel")->isVisibleTo(&panel));
            EXPECT_EQ(loading.size(), 2);
            EXPECT_EQ(fieldsOf(panel).FileCount, 1);
        }
        // Closed during a load, the files not yet listed are kept behind the listed ones.
        EXPECT_TRUE(panel.CloseList(listFile));
        QFile file(listFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), listFile == cancelled ? lines.left(lines.indexOf('\n') + 1) : lines);
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
}
