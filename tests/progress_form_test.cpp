// The progress window offscreen: a real batch with the real encoder, and Stop from its button.
#include "core/media/file_info.h"
#include "fake_prompts.h"
#include "gui/batch_summary_form.h"
#include "gui/progress_form.h"
#include "test_support.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

TFileInfo probed(const QString& path)
{
    TFileInfoParser parser(path, realProgramDir(), nullptr);
    TFileInfo info;
    parser.Probe(info);
    return info;
}

} // namespace

TEST(ProgressForm, StartsIdleWithEveryControlInItsOwnPlace)
{
    FakePrompts prompts;
    TProgressFrm form(realProgramDir(), prompts);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Progress"));
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.DoPauseBtn->text(), QStringLiteral("Pause"));
    EXPECT_FALSE(form.DoPauseBtn->isEnabled());
    EXPECT_EQ(form.DoStopBtn->text(), QStringLiteral("Stop"));
    EXPECT_EQ(form.TimeElapsedLabel->text(), QStringLiteral("Time Elapsed:"));
    EXPECT_EQ(form.EstimatedTimeLabel->text(), QStringLiteral("Estimated Time:"));
    for (const QProgressBar* bar : {form.FileConversionProgress, form.FilesConversionProgress}) {
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 100);
        EXPECT_EQ(bar->value(), 0);
    }
    // From the top: the file's bar, the batch's bar, the buttons, the times, then the queue; every
    // control inside the window and none over another.
    const QList<const QWidget*> rows{form.FileConversionProgress, form.FilesConversionProgress, form.DoStopBtn,
                                     form.TimeElapsedLabel, form.QueueLvw};
    for (qsizetype i = 0; i + 1 < rows.size(); ++i)
        EXPECT_LE(rows[i]->geometry().bottom(), rows[i + 1]->geometry().top()) << i;
    const QList<const QWidget*> controls{
        form.FileConversionProgress, form.FilesConversionProgress, form.DoStopBtn, form.DoPauseBtn,
        form.TimeElapsedLabel,       form.EstimatedTimeLabel,      form.QueueLvw};
    for (const QWidget* control : controls) {
        EXPECT_TRUE(form.rect().contains(control->geometry())) << control->objectName().toStdString();
        for (const QWidget* other : controls) {
            if (other == control)
                continue;
            EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                << control->objectName().toStdString() << " " << other->objectName().toStdString();
        }
    }
}

TEST(ProgressForm, ConvertsABatchWithTheRealEncoder)
{
    QTemporaryDir sources;
    QTemporaryDir out;
    FakePrompts prompts;
    TProgressFrm form(realProgramDir(), prompts);
    TBatchRequest b;
    b.Parameters.FileFormat = QStringLiteral("3gp");
    b.Parameters.VideoCodec = QStringLiteral("h263");
    b.Parameters.AudioCodec = QStringLiteral("aac");
    b.Parameters.ResolutionX = 176;
    b.Parameters.ResolutionY = 144;
    b.Parameters.FrameRate = 15;
    b.Parameters.VideoBitRate = 128;
    b.Parameters.AudioBitRate = 32;
    b.Parameters.Sampling = 22050;
    b.Parameters.Channels = 1;
    b.Parameters.Volume = 100;
    b.Parameters.OutputLocation = olFolder;
    b.Parameters.DestinationFolder = out.path() + QLatin1Char('/');
    for (const char* name : {"sample.avi", "sintel-1024x436.mp4"})
        b.Files.append(probed(copyOfCorpusFile(QString::fromLatin1(name), sources.path())));
    b.Parameters.TotalDuration = 41 + 60;
    form.SetRequest(b);
    form.exec();

    for (const char* name : {"/sample.3gp", "/sintel-1024x436.3gp"}) {
        const TFileInfo result = probed(out.path() + QString::fromLatin1(name));
        EXPECT_EQ(result.VideoCodec, QStringLiteral("h263")) << name;
        EXPECT_EQ(result.Resolution, QStringLiteral("176x144")) << name;
        EXPECT_EQ(result.AudioCodec, QStringLiteral("aac")) << name;
        EXPECT_EQ(result.Channels, 1) << name;
    }
    EXPECT_EQ(form.CurrentConversingLabel->text(), QStringLiteral("Files 2 of 2"));
    EXPECT_EQ(form.FileNameLabel->text(), QStringLiteral("sintel-1024x436.mp4"));
    EXPECT_EQ(form.FilesConversionProgress->value(), 100);
    EXPECT_EQ(form.TotalProgressLabel->text(), QStringLiteral("Total: 100%"));
    EXPECT_TRUE(form.EstimatedTimeLabel->text().startsWith(QStringLiteral("Estimated Time: ")));
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();
    EXPECT_EQ(prompts.openedPaths, QStringList{out.path() + QLatin1Char('/')});
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(prompts.summaries.size(), 1);
    EXPECT_EQ(prompts.summaries[0].Headline, QStringLiteral("2 files converted, 0 skipped, 0 failed."));
    ASSERT_EQ(form.QueueLvw->topLevelItemCount(), 2);
    EXPECT_EQ(form.QueueLvw->topLevelItem(1)->text(0), QStringLiteral("sintel-1024x436.mp4"));
    EXPECT_EQ(form.QueueLvw->topLevelItem(1)->text(1), QStringLiteral("Done: sintel-1024x436.3gp"));
}

TEST(ProgressForm, StopButtonEndsTheBatch)
{
    FakeProgramDir program;
    program.setScript(
        {QStringLiteral("partial"), QStringLiteral("err frame=1 time=0.5 bitrate=1\\r"), QStringLiteral("hang")});
    QTemporaryDir work;
    const QString source = writeFile(work.path() + QStringLiteral("/clip.avi"), "x");
    FakePrompts prompts;
    TProgressFrm form(program.path(), prompts);
    TFileInfo info;
    info.FilePath = source;
    info.FileName = QStringLiteral("clip.avi");
    info.Duration = QStringLiteral("00:00:05.00");
    info.Resolution = QStringLiteral("640x480");
    TBatchRequest request;
    request.Files = {info, info};
    request.Parameters.FileFormat = QStringLiteral("mp4");
    request.Parameters.ResolutionX = 320;
    request.Parameters.ResolutionY = 240;
    request.Parameters.TotalDuration = 100;
    form.SetRequest(request);
    // Stop at the first progress shown, while the encoder hangs with its output begun, and is held.
    bool stopped = false;
    QObject::connect(form.FileConversionProgress, &QProgressBar::valueChanged, &form, [&](int value) {
        if (value == 0 || stopped)
            return;
        stopped = true;
        EXPECT_EQ(encoderLeftovers(work.path()).size(), 1);
        // The title bar's close does nothing while the batch runs; Stop does, even while held.
        form.close();
        EXPECT_TRUE(form.Running());
        form.DoPauseBtn->click();
        EXPECT_TRUE(form.Batch.Paused());
        EXPECT_EQ(form.DoPauseBtn->text(), QStringLiteral("Resume"));
        form.DoPauseBtn->click();
        EXPECT_FALSE(form.Batch.Paused());
        form.DoPauseBtn->click();
        form.DoStopBtn->click();
    });
    form.exec();
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(form.Batch.Paused());
    EXPECT_EQ(form.DoPauseBtn->text(), QStringLiteral("Pause"));
    // The queue shows the file stopped during its run and the one not reached.
    ASSERT_EQ(form.QueueLvw->topLevelItemCount(), 2);
    EXPECT_EQ(form.QueueLvw->topLevelItem(0)->text(1), QStringLiteral("Stopped"));
    EXPECT_EQ(form.QueueLvw->topLevelItem(1)->text(1), QStringLiteral("Stopped"));
    EXPECT_TRUE(prompts.summaries.isEmpty());
    EXPECT_TRUE(form.Batch.Stopped());
    EXPECT_EQ(encoderLeftovers(work.path()), QStringList());
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/clip.mp4")));
    EXPECT_TRUE(QFile::exists(source));
    EXPECT_EQ(form.CurrentConversingLabel->text(), QStringLiteral("Files 1 of 2"));
}

// The summary window, shown without waiting on it: its buttons open through the prompts.
TEST(BatchSummaryForm, OpensTheFolderAndAFailedFilesLog)
{
    TBatchSummary summary;
    summary.Caption = QStringLiteral("Conversion finished");
    summary.Headline = QStringLiteral("1 file converted, 1 skipped, 1 failed.");
    summary.OutputFolder = QStringLiteral("/out/");
    summary.Lines = {{TFileState::Skipped, QStringLiteral("gone.avi"), QStringLiteral("missing"), {}, {}},
                     {TFileState::Failed,
                      QStringLiteral("bad.avi"),
                      QStringLiteral("the disk is full"),
                      {},
                      QStringLiteral("/logs/bad.log")}};
    FakePrompts prompts;
    TBatchSummaryFrm form(summary, prompts);
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Conversion finished"));
    ASSERT_EQ(form.ResultsLvw->topLevelItemCount(), 2);
    EXPECT_EQ(form.ResultsLvw->topLevelItem(1)->text(1), QStringLiteral("Failed: the disk is full"));
    // The failed file's log is chosen at once; a skipped file has none.
    EXPECT_TRUE(form.ShowLogBtn->isEnabled());
    form.ShowLogBtn->click();
    form.ResultsLvw->setCurrentItem(form.ResultsLvw->topLevelItem(0));
    EXPECT_FALSE(form.ShowLogBtn->isEnabled());
    form.OpenFolderBtn->click();
    EXPECT_EQ(prompts.openedPaths, (QStringList{QStringLiteral("/logs/bad.log"), QStringLiteral("/out/")}));
    form.CloseBtn->click();
    EXPECT_FALSE(form.isVisible());

    // Nothing to list, no folder: the headline alone.
    TBatchSummary plain;
    plain.Headline = QStringLiteral("0 files converted, 0 skipped, 0 failed.");
    TBatchSummaryFrm bare(plain, prompts);
    EXPECT_TRUE(bare.ResultsLvw->isHidden());
    EXPECT_TRUE(bare.OpenFolderBtn->isHidden());
    EXPECT_TRUE(bare.ShowLogBtn->isHidden());
}
