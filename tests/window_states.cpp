#include "window_states.h"

#include "core/conversion/file_status.h"
#include "core/media/file_list_manager.h"
#include "gui/batch_summary_form.h"
#include "gui/dialogs/about_form.h"
#include "gui/dialogs/report_bug_form.h"
#include "gui/dialogs/request_device_form.h"
#include "gui/file_list_panel.h"
#include "gui/main_form.h"
#include "gui/overwrite_prompt.h"
#include "gui/progress_form.h"
#include "test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>

#include <utility>

namespace {

// Long names, as real catalogues have them, so that what does not fit shows.
const char* const kPlayers = R"(<Devices>
  <Manufacturer><Name>Northwind Electronics</Name><Logo>logos/northwind.jpg</Logo><Models>
    <Model><Name>Pocket Theatre 2000 Deluxe</Name><Image>devices/theatre.jpg</Image><ResolutionX>320</ResolutionX><ResolutionY>240</ResolutionY>
      <VideoCodec>mpeg4</VideoCodec><AudioCodec>aac</AudioCodec><FileFormat>mp4</FileFormat>
      <Qualities>
        <Best><Video><BitRate>1024</BitRate><FrameRate>29.97</FrameRate></Video><Audio><BitRate>128</BitRate><Sampling>44100</Sampling><Channels>2</Channels></Audio></Best>
      </Qualities></Model>
  </Models></Manufacturer>
</Devices>)";

void choose(QWidget& window, const char* comboName, int index)
{
    auto* combo = window.findChild<QComboBox*>(QString::fromLatin1(comboName));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void click(QWidget& window, const char* buttonName)
{
    window.findChild<QPushButton*>(QString::fromLatin1(buttonName))->click();
}

std::unique_ptr<QWidget> mainWindow(const QString& programDir, TUserPrompts& prompts)
{
    auto window = std::make_unique<TMainFrm>(programDir, prompts);
    window->show();
    click(*window, "btnMediaPlayer");
    choose(*window, "ManufacturerCmb", 0);
    choose(*window, "ModelCmb", 0);
    click(*window, "VideoConfigShowBtn");
    click(*window, "AudioConfigShowBtn");
    window->findChild<QPushButton*>(QStringLiteral("BrowseBtn"))->setEnabled(true);
    // A listed file with the status a batch leaves beside it, the longest kind there is.
    TFileListPanel& list = window->FileList();
    const QString source = corpusFile(QStringLiteral("sample.avi"));
    list.FileListManager()->AddFile(source);
    TFileStatus status;
    status.State = TFileState::Done;
    status.SourcePath = source;
    status.OutputPath = QStringLiteral("/home/user/Videos/sample (2).mp4");
    status.Renamed = true;
    list.ShowFileStatus(0, status);
    return window;
}

std::unique_ptr<QWidget> progressWindow(const QString& programDir, TUserPrompts& prompts)
{
    auto window = std::make_unique<TProgressFrm>(programDir, prompts);
    window->ShowFileName(QStringLiteral("A rather long holiday video name.avi"));
    window->ShowCurrentConversing(QStringLiteral("Files 12 of 140"));
    window->ShowFileProgress(40);
    window->ShowTotalProgress(7);
    window->ShowTotalLabel(QStringLiteral("Total: 7%"));
    window->ShowElapsedLabel(QStringLiteral("Time Elapsed: 1:05:09"));
    window->ShowEstimatedLabel(QStringLiteral("Estimated Time: 12:40:00"));
    TFileStatus status;
    status.State = TFileState::Converting;
    status.Percent = 40;
    status.SourcePath = QStringLiteral("/home/user/Videos/A rather long holiday video name.avi");
    window->ShowFileStatus(0, status);
    window->show();
    return window;
}

std::unique_ptr<QWidget> overwritePrompt()
{
    auto window = std::make_unique<TOverwriteFilePromt>();
    window->FileName = QStringLiteral("/home/user/Videos/converted/A rather long holiday video name.mp4");
    window->show();
    return window;
}

std::unique_ptr<QWidget> summaryWindow(TUserPrompts& prompts)
{
    TBatchSummary summary;
    summary.Converted = 2;
    summary.Failed = 1;
    summary.Skipped = 1;
    summary.Renamed = 1;
    summary.Caption = QStringLiteral("Conversion finished");
    summary.Headline = QStringLiteral("2 files converted, 1 skipped, 1 failed.");
    summary.Lines = {
        {TFileState::Failed,
         QStringLiteral("A rather long holiday video name.avi"),
         QStringLiteral("the encoder could not read the source (Invalid data found when processing input)"),
         {},
         QStringLiteral("/tmp/log.txt")},
        {TFileState::Skipped, QStringLiteral("clip.avi"), QStringLiteral("the output exists and is kept"), {}, {}},
        {TFileState::Done, QStringLiteral("party.mov"), QStringLiteral("party (2).mp4"), {}, {}},
    };
    summary.OutputFolder = QStringLiteral("/home/user/Videos/converted");
    auto window = std::make_unique<TBatchSummaryFrm>(summary, prompts);
    window->show();
    return window;
}

} // namespace

void PrepareProgramDir(const QString& programDir)
{
    writeFile(programDir + QStringLiteral("MediaPlayer.dat"), kPlayers);
    for (const auto& [picture, size] :
         {std::pair{"logos/northwind.jpg", QSize(200, 40)}, std::pair{"devices/theatre.jpg", QSize(40, 60)}}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QDir(programDir).mkpath(QFileInfo(programDir + QLatin1String(picture)).path());
        image.save(programDir + QLatin1String(picture), "JPG");
    }
    QDir(programDir).mkpath(QStringLiteral("encoder"));
    QFile::link(realEncoder(), programDir + QStringLiteral("encoder/encoder"));
}

std::vector<TShownWindow> ShowEveryWindow(const QString& programDir, TUserPrompts& prompts)
{
    std::vector<TShownWindow> windows;
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix")).clear();
    windows.push_back({QStringLiteral("main"), mainWindow(programDir, prompts)});
    // As a new user first sees it: nothing stored, nothing listed.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix")).clear();
    windows.push_back({QStringLiteral("first-start"), std::make_unique<TMainFrm>(programDir, prompts)});
    windows.push_back({QStringLiteral("progress"), progressWindow(programDir, prompts)});
    windows.push_back({QStringLiteral("overwrite"), overwritePrompt()});
    windows.push_back({QStringLiteral("summary"), summaryWindow(prompts)});
    windows.push_back({QStringLiteral("report-bug"), std::make_unique<TfrmReportBug>(prompts, QString())});
    windows.push_back({QStringLiteral("request-device"), std::make_unique<TformRequestDevice>(prompts, QString())});
    windows.push_back({QStringLiteral("about"), std::make_unique<TAboutForm>()});
    for (TShownWindow& shown : windows)
        shown.Window->show();
    QApplication::processEvents();
    return windows;
}
