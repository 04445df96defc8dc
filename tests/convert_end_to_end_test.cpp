// From the main window to converted files: the real encoder and the shipped catalogues in a
// temporary program directory.
#include "core/media/file_info.h"
#include "core/media/file_list_manager.h"
#include "fake_prompts.h"
#include "gui/device_panel.h"
#include "gui/file_list_panel.h"
#include "gui/list_box_drag_ext.h"
#include "gui/main_form.h"
#include "gui/progress_form.h"
#include "gui/quality_panel.h"
#include "test_support.h"
#include "window_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

double durationSeconds(const QString& duration)
{
    const QStringList parts = duration.split(QLatin1Char(':'));
    return parts.size() == 3 ? parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toDouble() : -1;
}

// Sets one of the flags the window keeps beside the quality fields.
void setFlag(TMainFrm& form, bool TSourceFallbacks::*flag, bool value)
{
    TSourceFallbacks fromSource = form.Quality().FromSource();
    fromSource.*flag = value;
    form.Quality().SetFromSource(fromSource);
}

class ConvertEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix")).clear();
        const QString dir = program.path();
        QDir(dir).mkpath(QStringLiteral("encoder"));
        ASSERT_TRUE(QFile::link(realEncoder(), dir + QStringLiteral("/encoder/encoder")));
        for (const char* cls : {"MediaPlayer.dat", "MobilePhone.dat", "PocketComputer.dat", "GameConsole.dat"})
            ASSERT_TRUE(
                QFile::copy(realProgramDir() + QLatin1String(cls), dir + QLatin1Char('/') + QLatin1String(cls)));
        QDir(dir).mkpath(QStringLiteral("out"));
    }
    QString out() const { return program.path() + QStringLiteral("/out"); }

    // A window ready to convert: files listed, a media player chosen, results into out/.
    std::unique_ptr<TMainFrm> validWindow(const QStringList& files)
    {
        auto form = std::make_unique<TMainFrm>(program.path() + QLatin1Char('/'), prompts);
        form->FileList().FileListManager()->AddFiles(files);
        control<QPushButton>(*form, "btnMediaPlayer")->click();
        auto* manufacturer = control<QComboBox>(*form, "ManufacturerCmb");
        manufacturer->setCurrentIndex(manufacturer->findText(QStringLiteral("Apple")));
        form->DoSelectManufacturer();
        auto* model = control<QComboBox>(*form, "ModelCmb");
        model->setCurrentIndex(model->findText(QStringLiteral("iPod classic")));
        form->DoSelectModel();
        control<QRadioButton>(*form, "SaveFilesToFolderRdo")->click();
        control<QLineEdit>(*form, "DestPathEdt")->setText(out());
        return form;
    }

    QTemporaryDir program;
    FakePrompts prompts;
};

} // namespace

// Every check of a request is tested on its own with the request's fields; here one row a panel
// shows that the window hands each panel's fields to that check.
TEST_F(ConvertEndToEnd, EachPanelsFieldsReachTheRequestsCheck)
{
    const QString sample = corpusFile(QStringLiteral("sample.mp4"));
    struct Row {
        const char* panel;
        const char* message;
        PromptIcon icon;
        std::function<void(TMainFrm&)> breakIt;
    };
    const Row rows[] = {
        {"file list", "Please add files to the conversion list", PromptIcon::Question,
         [](TMainFrm& f) { f.FileList().FileListManager()->Clear(); }},
        {"device", "Please select the device's model", PromptIcon::Question,
         [](TMainFrm& f) { control<QComboBox>(f, "ModelCmb")->setCurrentIndex(-1); }},
        {"quality", "The video Bit Rate is not a number: \"fast\"", PromptIcon::Warning,
         [](TMainFrm& f) { control<QLineEdit>(f, "VideoBitRateEdt")->setText(QStringLiteral("fast")); }},
        {"output", "Please choose an existing folder to save the files to: ", PromptIcon::Warning,
         [this](TMainFrm& f) {
             control<QLineEdit>(f, "DestPathEdt")->setText(writeFile(out() + QStringLiteral("/file.txt"), "x"));
         }},
    };
    {
        auto valid = validWindow({sample});
        EXPECT_TRUE(valid->ValidateConversionRequest());
        EXPECT_TRUE(prompts.messages.isEmpty());
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.panel);
        auto form = validWindow({sample});
        prompts.messages.clear();
        row.breakIt(*form);
        EXPECT_FALSE(form->ValidateConversionRequest());
        ASSERT_EQ(prompts.messages.size(), 1);
        // The folder's message goes on with the folder's path.
        EXPECT_TRUE(prompts.messages[0].text.startsWith(QString::fromLatin1(row.message)))
            << prompts.messages[0].text.toStdString();
        EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Warning"));
        EXPECT_EQ(prompts.messages[0].icon, row.icon);
    }
}

TEST_F(ConvertEndToEnd, ATypedFolderIsMadeOnRequestAndOneThatTakesNoFileStartsNothing)
{
    QTemporaryDir sources;
    const QString source = copyOfCorpusFile(QStringLiteral("sample.avi"), sources.path());
    const QString file = writeFile(out() + QStringLiteral("/file.txt"), "x");
    struct Case {
        const char* what;
        QString folder;
        std::deque<bool> answers;
        bool asked;      // whether making the folder is offered
        QString message; // how the refusal begins; none when the batch runs
        bool made;       // whether the folder is there afterwards
    };
    const Case cases[] = {
        {"missing, not made", out() + QStringLiteral("/new/deeper"), {false}, true, {}, false},
        {"missing, made and converted into", out() + QStringLiteral("/made/deeper"), {true}, true, {}, true},
        {"cannot be made",
         file + QStringLiteral("/sub"),
         {true},
         true,
         QStringLiteral("The folder \"") + file + QStringLiteral("/sub\" could not be created: "),
         false},
        // A folder no one may create files in, whoever runs the test.
        {"takes no new file",
         QStringLiteral("/proc"),
         {},
         false,
         QStringLiteral("The converted files cannot be written to the folder \"/proc\": "),
         true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        auto form = validWindow({source});
        control<QLineEdit>(*form, "DestPathEdt")->setText(row.folder);
        prompts.messages.clear();
        prompts.questions.clear();
        prompts.summaries.clear();
        prompts.yesNoAnswers = row.answers;
        form->DoConvert();
        if (row.asked) {
            ASSERT_EQ(prompts.questions.size(), 1); // one question, however many folders are missing
            EXPECT_EQ(prompts.questions[0].text,
                      QStringLiteral("The folder \"") + row.folder + QStringLiteral("\" does not exist. Create it?"));
        } else {
            EXPECT_TRUE(prompts.questions.isEmpty());
        }
        EXPECT_EQ(QFileInfo(row.folder).isDir(), row.made);
        const bool runs = row.made && row.message.isEmpty();
        EXPECT_EQ(prompts.summaries.size(), runs ? 1 : 0);
        EXPECT_EQ(control<TListBoxDragExt>(*form, "FilesLvw")->RowStatus(0).isEmpty(), !runs);
        if (row.message.isEmpty()) {
            EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();
        } else {
            // Said once, before any file was started.
            ASSERT_EQ(prompts.messages.size(), 1);
            EXPECT_TRUE(prompts.messages[0].text.startsWith(row.message)) << prompts.messages[0].text.toStdString();
        }
        if (runs) {
            EXPECT_TRUE(QFile::exists(row.folder + QStringLiteral("/sample.mp4")));
        }
    }
}

TEST_F(ConvertEndToEnd, FieldsThatDoNotApplyAreNotChecked)
{
    struct Row {
        const char* what;
        std::function<void(TMainFrm&)> change;
    };
    const Row rows[] = {
        {"results beside their sources: the folder field is not read",
         [this](TMainFrm& f) {
             control<QRadioButton>(f, "PreserveFilesLocationRdo")->click();
             control<QLineEdit>(f, "DestPathEdt")->setText(out() + QStringLiteral("/none"));
         }},
        {"channels taken from the source: no button needed",
         [](TMainFrm& f) {
             control<QRadioButton>(f, "ChanelsStereoRdo")->setAutoExclusive(false);
             control<QRadioButton>(f, "ChanelsStereoRdo")->setChecked(false);
             control<QRadioButton>(f, "ChanelsMonoRdo")->setChecked(false);
             setFlag(f, &TSourceFallbacks::Channels, true);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto form = validWindow({corpusFile(QStringLiteral("sample.mp4"))});
        prompts.messages.clear();
        row.change(*form);
        EXPECT_TRUE(form->ValidateConversionRequest());
        EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();
    }
}

TEST_F(ConvertEndToEnd, ConvertTwoFilesThenNewNamesAndSettingsStored)
{
    QTemporaryDir sources;
    auto form = validWindow({copyOfCorpusFile(QStringLiteral("sample.avi"), sources.path()),
                             copyOfCorpusFile(QStringLiteral("sintel-1024x436.mp4"), sources.path())});
    control<QRadioButton>(*form, "NoOverwriteRdo")->click();
    control<QPushButton>(*form, "ConvertBtn")->click(); // runs the batch in the modal progress window
    ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();
    EXPECT_EQ(prompts.openedPaths, QStringList{out() + QLatin1Char('/')});
    for (const char* name : {"/sample.mp4", "/sintel-1024x436.mp4"}) {
        TFileInfo info;
        TFileInfoParser(out() + QLatin1String(name), realProgramDir(), nullptr).Probe(info);
        EXPECT_EQ(info.VideoCodec, QStringLiteral("mpeg4")) << name;
        EXPECT_EQ(info.AudioCodec, QStringLiteral("aac")) << name;
        EXPECT_FALSE(IsUnsupported(info)) << name;
    }
    TFileInfo sintel;
    TFileInfoParser(out() + QStringLiteral("/sintel-1024x436.mp4"), realProgramDir(), nullptr).Probe(sintel);
    EXPECT_EQ(sintel.Resolution, QStringLiteral("320x240")); // 320x136 with borders
    EXPECT_NEAR(durationSeconds(sintel.Duration), 6.0, 0.2);

    auto* list = control<TListBoxDragExt>(*form, "FilesLvw");
    EXPECT_EQ(list->RowStatus(0), QStringLiteral("Done: sample.mp4"));
    EXPECT_EQ(list->RowStatus(1), QStringLiteral("Done: sintel-1024x436.mp4"));

    // A second run with "No, generate new name" keeps the first results, and says so.
    control<QPushButton>(*form, "ConvertBtn")->click();
    EXPECT_TRUE(QFile::exists(out() + QStringLiteral("/sample_1.mp4")));
    EXPECT_TRUE(QFile::exists(out() + QStringLiteral("/sintel-1024x436_1.mp4")));
    EXPECT_EQ(list->RowStatus(0), QStringLiteral("Done: sample_1.mp4 (new name)"));
    EXPECT_TRUE(list->topLevelItem(0)->toolTip(1).contains(out() + QStringLiteral("/sample_1.mp4")));
    ASSERT_EQ(prompts.summaries.size(), 2);
    EXPECT_EQ(prompts.summaries[1].Renamed, 2);
    // The statuses stay until the list changes.
    list->topLevelItem(1)->setSelected(true);
    form->FileList().DoRemoveSelected();
    EXPECT_EQ(list->RowStatus(0), QString());
    EXPECT_TRUE(list->isColumnHidden(3));

    form->close();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix"));
    EXPECT_EQ(settings.value(QStringLiteral("DeviceType")).toInt(), 1);
    EXPECT_EQ(settings.value(QStringLiteral("MediaPlayer/CheckOverwrites")).toInt(), 3);
    EXPECT_EQ(settings.value(QStringLiteral("MediaPlayer/FilesFolder")).toString(), out());
}

// kovirta-cli with two jobs writes what the window writes for the same choices, byte for byte (the
// encoder's output is reproducible), with the same no-clash names.
TEST_F(ConvertEndToEnd, CommandLineWithTwoJobsWritesTheWindowsOutputs)
{
    QTemporaryDir sources;
    const QStringList files{copyOfCorpusFile(QStringLiteral("sample.avi"), sources.path()),
                            copyOfCorpusFile(QStringLiteral("sample.mp4"), sources.path())};
    auto form = validWindow(files);
    control<QCheckBox>(*form, "SetConvertedAsOriginalChk")->setChecked(false);
    control<QComboBox>(*form, "ZoomModeCmb")->setCurrentIndex(0);
    control<QPushButton>(*form, "ConvertBtn")->click();
    ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.value(0).text.toStdString();

    QTemporaryDir cliOut;
    QTemporaryDir data;
    QProcess cli;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(KOVIRTA_CLI_PATH),
              QStringList{QStringLiteral("convert"), QStringLiteral("--device"),
                          QStringLiteral("mediaplayer/apple/IPOD CLASSIC"), QStringLiteral("--zoom"),
                          QStringLiteral("fit"), QStringLiteral("--output-dir"), cliOut.path(),
                          QStringLiteral("--jobs"), QStringLiteral("2")}
                  + files);
    ASSERT_TRUE(cli.waitForFinished(300000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    // Plain lines when standard output is no terminal.
    const QByteArray shown = cli.readAllStandardOutput();
    EXPECT_FALSE(shown.contains('\x1b'));
    const QByteArray renamed = "done     sample.mp4 -> " + cliOut.path().toUtf8() + "/sample_1.mp4 (new name)";
    EXPECT_TRUE(shown.contains(renamed)) << shown.toStdString();

    for (const char* name : {"/sample.mp4", "/sample_1.mp4"}) {
        QFile window(out() + QLatin1String(name));
        QFile command(cliOut.path() + QLatin1String(name));
        ASSERT_TRUE(window.open(QIODevice::ReadOnly)) << name;
        ASSERT_TRUE(command.open(QIODevice::ReadOnly)) << name;
        const QByteArray expected = window.readAll();
        EXPECT_GT(expected.size(), 1000) << name;
        EXPECT_TRUE(command.readAll() == expected) << name;
    }
}

TEST_F(ConvertEndToEnd, StopLeavesNoPartialOutput)
{
    QTemporaryDir sources;
    auto form = validWindow({copyOfCorpusFile(QStringLiteral("sintel-1024x436.mp4"), sources.path()),
                             copyOfCorpusFile(QStringLiteral("sample.avi"), sources.path())});
    // Stop as soon as the first file's encoder is running.
    bool stopped = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<TProgressFrm*>(QApplication::activeModalWidget());
        if (progress && progress->Running() && progress->CurrentConversingLabel->text() == u"Files 1 of 2") {
            poll.stop();
            stopped = true;
            progress->DoStopBtn->click();
        }
    });
    poll.start(10);
    control<QPushButton>(*form, "ConvertBtn")->click();
    ASSERT_TRUE(stopped);
    // No partial file under any name, and nothing of the second file. A short clip can be whole
    // before the Stop reaches its encoder (its first progress may be its last): then its output
    // is complete and its status says so; otherwise the folder is empty.
    const QStringList left = QDir(out()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const bool firstDone = control<TListBoxDragExt>(*form, "FilesLvw")->RowStatus(0).startsWith(u"Done:");
    EXPECT_EQ(left, firstDone ? QStringList{QStringLiteral("sintel-1024x436.mp4")} : QStringList());
    EXPECT_TRUE(QFile::exists(sources.path() + QStringLiteral("/sintel-1024x436.mp4")));
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
}

TEST_F(ConvertEndToEnd, DeleteAfterKeepsABrokenSourceAndBadVolumeOpensNothing)
{
    QTemporaryDir sources;
    const QString broken = sources.path() + QStringLiteral("/broken.mp4");
    const QString good = sources.path() + QStringLiteral("/good.avi");
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("bear-1280x720_trunc-half.mp4")), broken));
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.avi")), good));
    auto form = validWindow({broken, good});
    control<QCheckBox>(*form, "DeleteAfterConversionChk")->setChecked(true);
    form->DoConvert();
    EXPECT_TRUE(QFile::exists(broken));
    EXPECT_FALSE(QFile::exists(good));
    EXPECT_TRUE(prompts.messages.isEmpty());
    ASSERT_EQ(prompts.summaries.size(), 1);
    ASSERT_EQ(prompts.summaries[0].Failed, 1);
    EXPECT_EQ(prompts.summaries[0].Lines[0].FileName, QStringLiteral("broken.mp4"));
    EXPECT_TRUE(
        prompts.summaries[0].Lines[0].ToolTip.contains(QStringLiteral("Encoder: Error: the source is damaged")));

    prompts.messages.clear();
    prompts.openedPaths.clear();
    control<QComboBox>(*form, "VolumeSelectCmb")->setCurrentIndex(1);
    form->VolumeSelectCmbChange();
    control<QLineEdit>(*form, "VolumeInputEdt")->setText(QStringLiteral("abc"));
    form->DoConvert();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text, QStringLiteral("'abc' is not a valid integer value"));
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
}

namespace {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// kovirta-cli run in folder through the shell, so that a file name may be any bytes ("$(printf ...)").
CliRun runCliInShell(const QString& folder, const QString& shellArgs)
{
    QDir(folder).mkpath(QStringLiteral("out"));
    QProcess cli;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/.data"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    cli.setProcessEnvironment(environment);
    cli.setWorkingDirectory(folder);
    cli.start(QStringLiteral("/bin/sh"),
              {QStringLiteral("-c"),
               QStringLiteral("exec \"$0\" convert --device 'mediaplayer/apple/IPOD CLASSIC' ") + shellArgs
                   + QStringLiteral(" </dev/null"),
               QStringLiteral(KOVIRTA_CLI_PATH)});
    CliRun run;
    if (!cli.waitForFinished(300000))
        return run;
    run.exitCode = cli.exitCode();
    run.out = cli.readAllStandardOutput();
    run.err = cli.readAllStandardError();
    return run;
}

QString sampleIn(const QString& folder, const QString& name)
{
    QDir().mkpath(folder);
    return copyOfCorpusFile(QStringLiteral("sample.avi"), folder, name);
}

// A file named by raw bytes (not always valid text), holding the sample clip.
void sampleUnderBytes(const QString& folder, const QByteArray& name)
{
    QFile source(corpusFile(QStringLiteral("sample.avi")));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const std::string path = QFile::encodeName(folder).toStdString() + '/' + name.toStdString();
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), file),
              static_cast<size_t>(bytes.size()));
    std::fclose(file);
}

bool isWholeVideo(const QString& path)
{
    TFileInfo info;
    TFileInfoParser(path, realProgramDir(), nullptr).Probe(info);
    const QFileInfo file(path);
    return file.isFile() && !file.isSymLink() && durationSeconds(info.Duration) > 0.5;
}

} // namespace

// The command line's batch on hostile ground: planted links and files, odd names, a folder under
// the output's name, ".." after a link, "--" before the files. What the user had stays as it was.
TEST(HostileGround, CommandLineLosesNothing)
{
    struct Case {
        const char* what;
        std::function<void(const QString& w, QStringList& kept)> setUp;
        QString args; // for the shell, in the work folder
        int exitCode;
        QStringList outputs; // relative to the work folder, each a whole video afterwards
        QStringList gone;    // relative to the work folder
    };
    const QString longName(251, QLatin1Char('n'));
    const Case cases[] = {
        {"a link planted under the old temporary name",
         [](const QString& w, QStringList& kept) {
             sampleIn(w, QStringLiteral("clip.avi"));
             kept << writeFile(w + QStringLiteral("/victim.txt"), "the user's text");
             QDir(w).mkpath(QStringLiteral("out"));
             QFile::link(QStringLiteral("../victim.txt"), w + QStringLiteral("/out/clip.mp4.part"));
         },
         QStringLiteral("--output-dir out clip.avi"),
         0,
         {QStringLiteral("out/clip.mp4")},
         {}},
        {"a partial download beside the source, listed too",
         [](const QString& w, QStringList& kept) {
             sampleIn(w, QStringLiteral("v.avi"));
             kept << writeFile(w + QStringLiteral("/v.mp4.part"), "half a download");
         },
         QStringLiteral("v.avi v.mp4.part"),
         1,
         {QStringLiteral("v.mp4")},
         {}},
        {"a folder under the output's name, rename",
         [](const QString& w, QStringList& kept) {
             sampleIn(w, QStringLiteral("a.avi"));
             kept << writeFile(w + QStringLiteral("/out/a.mp4/inside.txt"), "kept");
         },
         QStringLiteral("--overwrite rename --output-dir out a.avi"),
         0,
         {QStringLiteral("out/a_1.mp4")},
         {}},
        {"a folder under the output's name, replace",
         [](const QString& w, QStringList& kept) {
             sampleIn(w, QStringLiteral("a.avi"));
             kept << writeFile(w + QStringLiteral("/out/a.mp4/inside.txt"), "kept");
         },
         QStringLiteral("--overwrite replace --output-dir out a.avi"),
         1,
         {},
         {}},
        {"a name of 255 bytes",
         [&](const QString& w, QStringList&) { sampleIn(w, longName + QStringLiteral(".avi")); },
         longName + QStringLiteral(".avi"),
         0,
         {longName + QStringLiteral(".mp4")},
         {}},
        {"a name that is not valid text beside its look-alike",
         [](const QString& w, QStringList& kept) {
             sampleUnderBytes(w, QByteArray("x\xff.avi"));
             kept << sampleIn(w, QStringLiteral("x\uFFFD.avi"));
         },
         QStringLiteral("--delete-source \"$(printf 'x\\377.avi')\""),
         2,
         {},
         {}},
        {"\"..\" after a link into another folder",
         [](const QString& w, QStringList& kept) {
             sampleIn(w + QStringLiteral("/other"), QStringLiteral("clip.avi"));
             QDir(w).mkpath(QStringLiteral("other/sub"));
             QDir(w).mkpath(QStringLiteral("other/out"));
             QFile::link(QStringLiteral("other/sub"), w + QStringLiteral("/link"));
             kept << sampleIn(w, QStringLiteral("clip.avi"));
         },
         QStringLiteral("--delete-source --output-dir link/../out link/../clip.avi"),
         0,
         {QStringLiteral("other/out/clip.mp4")},
         {QStringLiteral("other/clip.avi")}},
        {"files after \"--\" that look like options",
         [](const QString& w, QStringList&) {
             sampleIn(w, QStringLiteral("-h"));
             sampleIn(w, QStringLiteral("a.avi"));
         },
         QStringLiteral("--output-dir out -- -h a.avi"),
         0,
         {QStringLiteral("out/-h.mp4"), QStringLiteral("out/a.mp4")},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir work;
        const QString w = work.path();
        QStringList kept;
        c.setUp(w, kept);
        QHash<QString, QByteArray> before;
        for (const QString& path : kept)
            before[path] = readFile(path);
        const CliRun run = runCliInShell(w, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out.toStdString() << run.err.toStdString();
        for (const QString& path : kept)
            EXPECT_EQ(readFile(path), before[path]) << path.toStdString();
        for (const QString& output : c.outputs)
            EXPECT_TRUE(isWholeVideo(w + QLatin1Char('/') + output)) << output.toStdString();
        for (const QString& path : c.gone)
            EXPECT_FALSE(QFileInfo::exists(w + QLatin1Char('/') + path)) << path.toStdString();
        EXPECT_FALSE(run.out.contains("Usage")) << run.out.toStdString();
        for (const QString& folder : QStringList{w, w + QStringLiteral("/out")})
            EXPECT_EQ(encoderLeftovers(folder), QStringList());
        // By bytes: a name that is not valid text cannot be removed through QDir.
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(w).toStdString(), ignored);
    }
}

// Two batches converting one source into one folder at once, replacing: both say done, and the
// output is one whole conversion.
TEST(HostileGround, TwoRunsIntoOneOutput)
{
    QTemporaryDir work;
    const QString w = work.path();
    sampleIn(w, QStringLiteral("clip.avi"));
    CliRun runs[2];
    std::thread second([&] { runs[1] = runCliInShell(w, QStringLiteral("--overwrite replace clip.avi")); });
    runs[0] = runCliInShell(w, QStringLiteral("--overwrite replace clip.avi"));
    second.join();
    for (const CliRun& run : runs)
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(isWholeVideo(w + QStringLiteral("/clip.mp4")));
    EXPECT_EQ(encoderLeftovers(w), QStringList());
}

// --json: standard output holds JSON objects only, whatever else the batch has to say.
TEST(HostileGround, JsonOutputIsJsonOnly)
{
    QTemporaryDir work;
    const QString w = work.path();
    sampleIn(w, QStringLiteral("clip.avi"));
    // Converted into a folder, which the window would open at the end; the command line does not.
    const CliRun run = runCliInShell(w, QStringLiteral("--json --output-dir out clip.avi"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_GT(lines.size(), 2);
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        EXPECT_TRUE(QJsonDocument::fromJson(line, &error).isObject()) << line.toStdString();
    }
    EXPECT_FALSE(run.err.contains("could not be opened")) << run.err.toStdString();
}
