// kovirta-cli: its command line against the request it makes or the usage error, the JSON events
// of a batch, and the program's exit statuses.
#include "cli/cli_options.h"
#include "cli/cli_program.h"
#include "cli/device_directory.h"
#include "core/conversion/file_status.h"
#include "test_support.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A model of a test catalogue: Best gives every value, Good leaves the video bit rate, the frame
// rate and the channels out (the window's suggestions and source fallbacks stand in).
QByteArray modelXml(const char* name)
{
    return QByteArray("<Model><Name>") + name
        + "</Name><Image>devices/x.jpg</Image><ResolutionX>320</ResolutionX><ResolutionY>240</ResolutionY>"
          "<VideoCodec>mpeg4</VideoCodec><AudioCodec>aac</AudioCodec><FileFormat>mp4</FileFormat><Qualities>"
          "<Best><Video><BitRate>512</BitRate><FrameRate>25</FrameRate></Video>"
          "<Audio><BitRate>128</BitRate><Sampling>44100</Sampling><Channels>2</Channels></Audio></Best>"
          "<Good><Video><BitRate></BitRate><FrameRate></FrameRate></Video>"
          "<Audio><BitRate>96</BitRate><Sampling>44100</Sampling></Audio></Good>"
          "<Medium><Video><BitRate>230</BitRate><FrameRate>15</FrameRate></Video>"
          "<Audio><BitRate>64</BitRate><Sampling>22050</Sampling><Channels>2</Channels></Audio></Medium>"
          "<Low><Video><BitRate>144</BitRate><FrameRate>12</FrameRate></Video>"
          "<Audio><BitRate>32</BitRate><Sampling>22050</Sampling><Channels>1</Channels></Audio></Low>"
          "</Qualities></Model>";
}

QByteArray catalogueXml(const char* manufacturer, std::initializer_list<const char*> models)
{
    QByteArray xml = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Devices><Manufacturer><Name>")
        + manufacturer + "</Name><Logo>logos/x.jpg</Logo><Models>";
    for (const char* model : models)
        xml += modelXml(model);
    return xml + "</Models></Manufacturer></Devices>";
}

// Two catalogues in which "Acme/zed" names a model of each class when letters are not compared.
void writeCatalogues(const QString& programDir)
{
    writeFile(programDir + QStringLiteral("MediaPlayer.dat"), catalogueXml("Acme", {"Zed", "Zed Pro", "Tiny"}));
    writeFile(programDir + QStringLiteral("MobilePhone.dat"), catalogueXml("Acme", {"zed"}));
}

// What a parse made, in one line: the device and the settings a conversion takes, or the error.
QString parsed(const TCliParse& parse)
{
    if (!parse.Ok())
        return QStringLiteral("error: ") + parse.Error
            + (parse.CloseMatches.isEmpty() ? QString() : QStringLiteral(" | ") + parse.CloseMatches.join(u';'));
    const TCliOptions& o = parse.Options;
    const TConversionRequest& p = o.Parameters;
    // A value left to the source shows as 0 and a star.
    auto shown = [](auto value) { return value ? QString::number(*value) : QStringLiteral("0*"); };
    return QStringList{o.Device.Text(),
                       QStringLiteral("q%1/%2").arg(p.VideoQuality).arg(p.AudioQuality),
                       QStringLiteral("vb") + shown(p.VideoBitRate),
                       QStringLiteral("fr") + shown(p.FrameRate),
                       QStringLiteral("ab") + shown(p.AudioBitRate),
                       QStringLiteral("ar") + shown(p.Sampling),
                       QStringLiteral("ac") + shown(p.Channels),
                       QStringLiteral("%1x%2%3")
                           .arg(p.ResolutionX)
                           .arg(p.ResolutionY)
                           .arg(p.ResolutionType == rtCustom ? QStringLiteral("c") : QString()),
                       QStringLiteral("zoom%1").arg(p.ZoomMode),
                       QStringLiteral("vol%1").arg(p.Volume),
                       QStringLiteral("ow%1").arg(p.OverwriteMode),
                       p.OutputLocation == olFolder ? QStringLiteral("folder") : QStringLiteral("beside"),
                       QStringLiteral("jobs%1").arg(o.Jobs)
                           + (p.DeleteAfterConversion ? QStringLiteral(" del") : QString())}
        .join(u' ');
}

} // namespace

TEST(CliArguments, ParsedRequestOrUsageError)
{
    QTemporaryDir program;
    const QString dir = program.path() + QLatin1Char('/');
    writeCatalogues(dir);
    const TDeviceDirectory devices(dir);
    const QString best = QStringLiteral("vb512 fr25 ab128 ar44100 ac2 320x240 zoom0 vol100");
    struct Case {
        TextList args;
        bool terminal;
        QString expected;
    };
    const Case cases[] = {
        // Device lookup: exact, without regard to case, shortened, ambiguous, unknown.
        {{"convert", "--device", "MediaPlayer/Acme/Zed", "a.avi"},
         false,
         QStringLiteral("MediaPlayer/Acme/Zed q0/0 ") + best + QStringLiteral(" ow2 beside jobs1")},
        {{"convert", "--device=mediaplayer/ACME/zed pro", "a.avi"},
         false,
         QStringLiteral("MediaPlayer/Acme/Zed Pro q0/0 ") + best + QStringLiteral(" ow2 beside jobs1")},
        {{"convert", "--device", "Tiny", "a.avi"},
         false,
         QStringLiteral("MediaPlayer/Acme/Tiny q0/0 ") + best + QStringLiteral(" ow2 beside jobs1")},
        {{"convert", "--device", "Acme/zed", "a.avi"},
         false,
         QStringLiteral("MobilePhone/Acme/zed q0/0 ") + best + QStringLiteral(" ow2 beside jobs1")},
        {{"convert", "--device", "acme/ZED", "a.avi"},
         false,
         QStringLiteral("error: --device: ambiguous device 'acme/ZED' | MediaPlayer/Acme/Zed;MobilePhone/Acme/zed")},
        {{"convert", "--device", "MediaPlayer/Acme/Zedd", "a.avi"},
         false,
         QStringLiteral("error: --device: unknown device 'MediaPlayer/Acme/Zedd' | "
                        "MediaPlayer/Acme/Zed;MobilePhone/Acme/zed")},
        // The window's suggestions and source fallbacks for what the catalogue leaves out, and the
        // values given by hand in their place.
        {{"convert", "--device", "Tiny", "--quality", "good", "--audio-quality", "Good", "a.avi"},
         false,
         QStringLiteral(
             "MediaPlayer/Acme/Tiny q1/1 vb0* fr0* ab96 ar44100 ac0* 320x240 zoom0 vol100 ow2 beside jobs1")},
        {{"convert", "--device", "Tiny", "--quality", "Good", "--audio-quality", "Good", "--video-bitrate", "300",
          "--frame-rate", "12,5", "--channels", "2", "--sampling", "32000", "--audio-bitrate", "80", "a.avi"},
         false,
         QStringLiteral("MediaPlayer/Acme/Tiny q1/1 vb300 fr12.5 ab80 ar32000 ac2 320x240 zoom0 vol100 ow2 beside "
                        "jobs1")},
        // Bit rates are whole kbit/s, a fraction given by hand rounded.
        {{"convert", "--device", "Tiny", "--video-bitrate", "300,6", "--audio-bitrate", "80.4", "a.avi"},
         false,
         QStringLiteral(
             "MediaPlayer/Acme/Tiny q0/0 vb301 fr25 ab80 ar44100 ac2 320x240 zoom0 vol100 ow2 beside jobs1")},
        {{"convert", "--device", "Tiny", "--resolution", "640x480", "--zoom", "full", "--volume", "150", "--overwrite",
          "rename", "--output-dir", "/tmp", "--delete-source", "--jobs", "3", "a.avi", "b.avi"},
         false,
         QStringLiteral("MediaPlayer/Acme/Tiny q0/0 vb512 fr25 ab128 ar44100 ac2 640x480c zoom1 vol150 ow3 folder "
                        "jobs3 del")},
        // "ask" asks only where a terminal can answer; elsewhere it keeps existing outputs.
        {{"convert", "--device", "Tiny", "--overwrite", "ask", "a.avi"},
         true,
         QStringLiteral("MediaPlayer/Acme/Tiny q0/0 ") + best + QStringLiteral(" ow0 beside jobs1")},
        {{"convert", "--device", "Tiny", "--overwrite", "replace", "a.avi"},
         false,
         QStringLiteral("MediaPlayer/Acme/Tiny q0/0 ") + best + QStringLiteral(" ow1 beside jobs1")},
        // Usage errors, each naming its option.
        {{"convert", "--device", "Tiny"}, false, QStringLiteral("error: convert: no FILE given")},
        {{"convert", "a.avi"}, false, QStringLiteral("error: convert: --device CLASS/MANUFACTURER/MODEL is required")},
        {{"convert", "--device", "Tiny", "--quality", "Great", "a.avi"},
         false,
         QStringLiteral("error: --quality: 'Great' is not Best, Good, Medium or Low")},
        {{"convert", "--device", "Tiny", "--video-bitrate", "fast", "a.avi"},
         false,
         QStringLiteral("error: --video-bitrate: 'fast' is not a positive number")},
        {{"convert", "--device", "Tiny", "--channels", "6", "a.avi"},
         false,
         QStringLiteral("error: --channels: '6' is not a whole number from 1 to 2")},
        {{"convert", "--device", "Tiny", "--jobs", "0", "a.avi"},
         false,
         QStringLiteral("error: --jobs: '0' is not a whole number from 1 to 256")},
        {{"convert", "--device", "Tiny", "--resolution", "640*480", "a.avi"},
         false,
         QStringLiteral("error: --resolution: '640*480' is not WIDTHxHEIGHT (16 or more each)")},
        {{"convert", "--device", "Tiny", "--zoom", "wide", "a.avi"},
         false,
         QStringLiteral("error: --zoom: 'wide' is not fit or full")},
        {{"convert", "--device", "Tiny", "--output-dir", "/nonexistent/folder", "a.avi"},
         false,
         QStringLiteral("error: --output-dir: '/nonexistent/folder' is not a folder")},
        {{"convert", "--device", "Tiny", "--overwrite", "always", "a.avi"},
         false,
         QStringLiteral("error: --overwrite: 'always' is not ask, replace, keep or rename")},
        {{"convert", "--device", "Tiny", "--fast", "a.avi"},
         false,
         QStringLiteral("error: convert: unknown option '--fast'")},
        {{"convert", "--device", "Tiny", "--jobs"}, false, QStringLiteral("error: --jobs needs a value")},
        {{"convert", "--device", "Tiny", "--device", "Zed", "a.avi"},
         false,
         QStringLiteral("error: --device is given twice")},
        {{"devices", "Cars"}, false, QStringLiteral("error: devices: unknown class 'Cars' (MediaPlayer, MobilePhone)")},
        {{"info"}, false, QStringLiteral("error: info: no FILE given")},
        {{"transcode", "a.avi"},
         false,
         QStringLiteral("error: unknown command 'transcode' (devices, convert or info)")},
        {{}, false, QStringLiteral("error: no command given (devices, convert or info; --help lists them)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        EXPECT_EQ(parsed(ParseCliArguments(c.args, devices, c.terminal)), c.expected);
    }
}

// A batch of three files, one missing and one the encoder fails, as JSON events.
TEST(CliProgram, JsonEventsOfMissingAndFailingFiles)
{
    FakeProgramDir program;
    writeCatalogues(program.path());
    program.setScript(
        {QStringLiteral("when fail.mp4 err Error: Invalid data found when processing input\\n"),
         QStringLiteral("when fail.mp4 exit 1"),
         QStringLiteral("when -vcodec err frame=    5 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
         QStringLiteral("when -vcodec touch"), QStringLiteral("when -vcodec exit 0"),
         QStringLiteral("err Input #0, avi:\\n  Duration: 00:00:01.00, start: 0.000000, bitrate: 100 kb/s\\n"
                        "    Stream #0.0: Video: mpeg4, yuv420p, 320x240, 25.00 fps(r)\\n"
                        "    Stream #0.1: Audio: aac, 44100 Hz, stereo, 128 kb/s\\n"),
         QStringLiteral("exit 1")});
    QTemporaryDir work;
    const QString good = writeFile(work.path() + QStringLiteral("/good.avi"), "video");
    const QString missing = work.path() + QStringLiteral("/missing.avi");
    const QString fail = writeFile(work.path() + QStringLiteral("/fail.avi"), "video");

    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    TCliEnvironment env;
    env.ProgramDir = program.path();
    env.Out = &out;
    env.Err = &err;
    env.LogFolder = work.path() + QStringLiteral("/logs");
    const int status = RunCli({QStringLiteral("convert"), QStringLiteral("--device"), QStringLiteral("Tiny"),
                               QStringLiteral("--json"), good, missing, fail},
                              env);
    EXPECT_EQ(status, ceNotAllConverted);
    EXPECT_EQ(errText, QString());

    QStringList events; // every event but progress, with what it says
    int progressEvents = 0;
    for (const QString& line : outText.split(u'\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonObject event = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        const QString kind = event.value(QStringLiteral("event")).toString();
        if (kind == QLatin1String("progress")) {
            ++progressEvents;
            EXPECT_EQ(event.value(QStringLiteral("index")).toInt(), 0);
            EXPECT_EQ(event.value(QStringLiteral("percent")).toInt(), 50);
            continue;
        }
        if (kind == QLatin1String("failed")) {
            EXPECT_TRUE(QFile::exists(event.value(QStringLiteral("log")).toString()));
        }
        events << QStringLiteral("%1 %2 %3 %4 %5")
                      .arg(kind, QFileInfo(event.value(QStringLiteral("source")).toString()).fileName(),
                           QFileInfo(event.value(QStringLiteral("output")).toString()).fileName(),
                           event.value(QStringLiteral("reason")).toString(),
                           event.value(QStringLiteral("detail")).toString())
                      .trimmed();
        if (kind == QLatin1String("finished"))
            events.last() = QStringLiteral("finished %1 %2 %3")
                                .arg(event.value(QStringLiteral("converted")).toInt())
                                .arg(event.value(QStringLiteral("skipped")).toInt())
                                .arg(event.value(QStringLiteral("failed")).toInt());
    }
    EXPECT_EQ(progressEvents, 1);
    EXPECT_EQ(events,
              (QStringList{
                  QStringLiteral("started good.avi good.mp4"),
                  QStringLiteral("done good.avi good.mp4"),
                  QStringLiteral("skipped missing.avi  ") + SkipReason(TSkipCause::MissingSource),
                  QStringLiteral("started fail.avi fail.mp4"),
                  QStringLiteral("failed fail.avi  %1 Error: Invalid data found when processing input")
                      .arg(FailureReason(QStringLiteral("Error: Invalid data found when processing input"))),
                  QStringLiteral("finished 1 1 1"),
              }));
}

// The program itself: 0 for help, 1 when a file was not converted, 2 with one line on standard
// error for a usage error. (A run that converts every file ends with 0: the end-to-end test.)
TEST(CliProgram, ExitStatuses)
{
    QTemporaryDir work;
    struct Case {
        TextList args;
        int status;
        const char* errorStart;
    };
    const Case cases[] = {
        {{"--help"}, 0, ""},
        {{"devices"}, 0, ""},
        {{"convert", "--bogus", "a.avi"}, 2, "kovirta-cli: convert: unknown option '--bogus'\n"},
        {{"convert", "--device", "Nowhere/Nobody/Nothing", "a.avi"},
         2,
         "kovirta-cli: --device: unknown device 'Nowhere/Nobody/Nothing'\n"},
        {{"convert", "--device", "MediaPlayer/Apple/iPod classic", "missing.avi"}, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QProcess cli;
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("XDG_DATA_HOME"), work.path());
        cli.setProcessEnvironment(environment);
        cli.setWorkingDirectory(work.path());
        cli.start(QStringLiteral(KOVIRTA_CLI_PATH), c.args);
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), c.status);
        const QByteArray errorText = cli.readAllStandardError();
        EXPECT_TRUE(errorText.startsWith(c.errorStart)) << errorText.toStdString();
        if (c.status == 2) {
            EXPECT_EQ(errorText.count('\n'), 1) << errorText.toStdString();
        }
    }
}

TEST(CliArguments, AfterDoubleDashEverythingIsAFile)
{
    QTemporaryDir program;
    const QString dir = program.path() + QLatin1Char('/');
    writeCatalogues(dir);
    const TDeviceDirectory devices(dir);
    const TCliParse parse = ParseCliArguments({QStringLiteral("convert"), QStringLiteral("--device"),
                                               QStringLiteral("Tiny"), QStringLiteral("--"), QStringLiteral("-h"),
                                               QStringLiteral("--json"), QStringLiteral("a.avi")},
                                              devices, false);
    ASSERT_TRUE(parse.Ok()) << parse.Error.toStdString();
    EXPECT_EQ(parse.Options.Command, TCliCommand::Convert);
    EXPECT_FALSE(parse.Options.Json);
    EXPECT_EQ(parse.Options.Files,
              (QStringList{QStringLiteral("-h"), QStringLiteral("--json"), QStringLiteral("a.avi")}));
}

// With --json and a terminal to answer on, the overwrite question goes to standard error; the
// event stream on standard output stays JSON objects only.
TEST(CliProgram, JsonQuestionGoesToTheTerminalNotTheEvents)
{
    FakeProgramDir program;
    writeCatalogues(program.path());
    program.setScript(
        {QStringLiteral("when -vcodec touch"), QStringLiteral("when -vcodec exit 0"),
         QStringLiteral("err Input #0, avi:\\n  Duration: 00:00:01.00, start: 0.000000, bitrate: 100 kb/s\\n"
                        "    Stream #0.0: Video: mpeg4, yuv420p, 320x240, 25.00 fps(r)\\n"),
         QStringLiteral("exit 1")});
    QTemporaryDir work;
    const QString good = writeFile(work.path() + QStringLiteral("/good.avi"), "video");
    writeFile(work.path() + QStringLiteral("/good.mp4"), "an older output");

    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    TCliEnvironment env;
    env.ProgramDir = program.path();
    env.Out = &out;
    env.Err = &err;
    env.InIsTerminal = true;
    env.ReadLine = [] { return QStringLiteral("y"); };
    env.LogFolder = work.path() + QStringLiteral("/logs");
    const int status = RunCli({QStringLiteral("convert"), QStringLiteral("--device"), QStringLiteral("Tiny"),
                               QStringLiteral("--json"), QStringLiteral("--overwrite"), QStringLiteral("ask"), good},
                              env);
    EXPECT_EQ(status, ceConverted) << errText.toStdString();
    EXPECT_TRUE(errText.startsWith(work.path() + QStringLiteral("/good.mp4 exists. Replace it?")))
        << errText.toStdString();
    const QStringList lines = outText.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_TRUE(QJsonDocument::fromJson(line.toUtf8()).isObject()) << line.toStdString();
}
