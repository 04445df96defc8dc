#include "cli/cli_program.h"

#include "cli/cli_options.h"
#include "cli/cli_progress.h"
#include "cli/device_directory.h"
#include "core/conversion/batch_conversion.h"
#include "core/media/duration_parser.h"
#include "core/media/file_info.h"
#include "core/media/file_utils.h"
#include "core/media/source_identity.h"
#include "core/media/text_convert.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

void writeJson(QTextStream& out, const QJsonObject& object)
{
    out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
}

QJsonObject modelObject(const TDevicePath& path, const TDeviceModel& model)
{
    QJsonObject object{{QStringLiteral("device"), path.Text()},
                       {QStringLiteral("class"), path.ClassName},
                       {QStringLiteral("manufacturer"), path.Manufacturer},
                       {QStringLiteral("model"), path.Model},
                       {QStringLiteral("width"), model.ResolutionX.toInt()},
                       {QStringLiteral("height"), model.ResolutionY.toInt()},
                       {QStringLiteral("format"), model.FileFormat},
                       {QStringLiteral("videoCodec"), model.VideoCodec},
                       {QStringLiteral("audioCodec"), model.AudioCodec}};
    if (!model.VideoProfile.isEmpty())
        object.insert(QStringLiteral("videoProfile"), model.VideoProfile);
    if (!model.VideoLevel.isEmpty())
        object.insert(QStringLiteral("videoLevel"), model.VideoLevel);
    return object;
}

int listDevices(const TCliOptions& o, const TDeviceDirectory& devices, QTextStream& out)
{
    if (o.DeviceClass == 0) {
        for (const QString& name : devices.ClassNames()) {
            if (o.Json)
                writeJson(out, {{QStringLiteral("class"), name}});
            else
                out << name << '\n';
        }
        return ceConverted;
    }
    const QString className = DeviceClassKeyName(o.DeviceClass);
    if (o.Manufacturer.isEmpty()) {
        for (const QString& name : devices.Manufacturers(o.DeviceClass)) {
            if (o.Json)
                writeJson(out, {{QStringLiteral("class"), className}, {QStringLiteral("manufacturer"), name}});
            else
                out << name << '\n';
        }
        return ceConverted;
    }
    for (const QString& name : devices.Models(o.DeviceClass, o.Manufacturer)) {
        const TDevicePath path{o.DeviceClass, className, o.Manufacturer, name};
        const TDeviceModel model = devices.Model(path);
        if (o.Json) {
            writeJson(out, modelObject(path, model));
        } else {
            const QString size = model.ResolutionX + QLatin1Char('x') + model.ResolutionY;
            out << QStringLiteral("%1  %2  %3  %4/%5")
                       .arg(name.leftJustified(28), size.leftJustified(9), model.FileFormat.leftJustified(4),
                            model.VideoCodec, model.AudioCodec)
                << '\n';
        }
    }
    return ceConverted;
}

TFileInfo probe(const QString& file, const QString& programDir, TUserPrompts& prompts, QStringList* report = nullptr)
{
    TFileInfo info;
    TFileInfoParser parser(file, programDir, &prompts);
    parser.Probe(info);
    if (report)
        *report = parser.Output;
    return info;
}

int showInfo(const TCliOptions& o, const TCliEnvironment& env, TUserPrompts& prompts)
{
    QTextStream& out = *env.Out;
    int status = ceConverted;
    for (const QString& file : o.Files) {
        QStringList report;
        const TFileInfo info = probe(file, env.ProgramDir, prompts, &report);
        const bool supported = !IsUnsupported(info);
        if (!supported)
            status = ceNotAllConverted;
        if (o.Json) {
            writeJson(out,
                      {{QStringLiteral("file"), file},
                       {QStringLiteral("supported"), supported},
                       {QStringLiteral("duration"), info.Duration},
                       {QStringLiteral("bitRate"), info.BitRate},
                       {QStringLiteral("sizeMb"), info.SizeMb},
                       {QStringLiteral("videoCodec"), info.VideoCodec},
                       {QStringLiteral("resolution"), info.Resolution},
                       {QStringLiteral("frameRate"), info.FrameRate},
                       {QStringLiteral("audioCodec"), info.AudioCodec},
                       {QStringLiteral("samplingRate"), info.SamplingRate},
                       {QStringLiteral("channels"), info.Channels},
                       {QStringLiteral("audioBitRate"), info.AudioBitRate},
                       {QStringLiteral("report"), QJsonArray::fromStringList(report)}});
            continue;
        }
        out << "== " << file << '\n' << "Encoder report:\n";
        for (const QString& line : report)
            out << "  | " << line << '\n';
        out << "Media record:\n"
            << "  Duration:     " << info.Duration << '\n'
            << "  BitRate:      " << info.BitRate << '\n'
            << "  SizeMb:       " << info.SizeMb << '\n'
            << "  VideoCodec:   " << info.VideoCodec << '\n'
            << "  Resolution:   " << info.Resolution << '\n'
            << "  FrameRate:    " << info.FrameRate << '\n'
            << "  AudioCodec:   " << info.AudioCodec << '\n'
            << "  SamplingRate: " << info.SamplingRate << '\n'
            << "  Channels:     " << info.Channels << '\n'
            << "  AudioBitRate: " << info.AudioBitRate << '\n'
            << "  Supported:    " << (supported ? "yes" : "no") << '\n';
    }
    return status;
}

int convert(const TCliOptions& o, const TCliEnvironment& env, TCliProgress::Mode mode)
{
    // Each file probed as the window's list does when it is added; a missing file keeps its
    // path only, and the batch reports it skipped.
    TFileInfoArray files;
    QList<qint32> durations;
    qint32 total = 0;
    TCliProgress probePrompts(TCliProgress::Mode::Plain, *env.Err, {}, {}); // a probe's messages
    for (const QString& file : o.Files) {
        // Absolute, with ".." taken after links as the system takes it, never cut away as text.
        const QString path = LocalPathFromArgument(QFile::encodeName(file), nullptr);
        TFileInfo info;
        if (FileSizeOf(path) != 0)
            info = probe(path, env.ProgramDir, probePrompts);
        info.FilePath = path;
        info.FileName = FileNameOfPath(path);
        qint32 tenths = 0;
        try {
            tenths = TDurationParser(info.Duration).TotalTenths();
        } catch (const EConvertError&) {
        }
        durations.append(tenths);
        total += tenths;
        files.append(info);
    }
    TCliProgress view(mode, *env.Out, durations, env.InIsTerminal ? env.ReadLine : std::function<QString()>());
    TBatchRequest request;
    request.Parameters = o.Parameters;
    request.Parameters.TotalDuration = total;
    request.Files = files;
    request.Jobs = o.Jobs;
    request.LogFolder = env.LogFolder;
    view.SetMessageStream(*env.Err);
    TBatchConversion batch(env.ProgramDir, view);
    ConnectProgressView(batch, view);
    QEventLoop loop; // the program's event loop while the batch runs
    QObject::connect(&batch, &TBatchConversion::finished, &loop, &QEventLoop::quit);
    if (env.Interrupt)
        *env.Interrupt = [&batch] { batch.Stop(); };
    batch.Start(request);
    if (batch.Running())
        loop.exec();
    if (env.Interrupt)
        *env.Interrupt = nullptr;
    const QList<TFileStatus>& statuses = batch.Statuses();
    const bool allDone = std::all_of(statuses.begin(), statuses.end(),
                                     [](const TFileStatus& status) { return status.State == TFileState::Done; });
    return allDone && !batch.Stopped() ? ceConverted : ceNotAllConverted;
}

} // namespace

int RunCli(const QStringList& args, const TCliEnvironment& env)
{
    QTextStream& err = *env.Err;
    const TDeviceDirectory devices(env.ProgramDir);
    const TCliParse parse = ParseCliArguments(args, devices, env.InIsTerminal);
    if (!parse.Ok()) {
        // One line, so that a script's log holds the whole of it.
        err << "kovirta-cli: " << parse.Error;
        if (!parse.CloseMatches.isEmpty())
            err << " (close matches: " << parse.CloseMatches.join(QStringLiteral("; ")) << ')';
        err << '\n';
        err.flush();
        return ceUsage;
    }
    const TCliOptions& o = parse.Options;
    if (o.Command == TCliCommand::Help) {
        *env.Out << CliUsageText();
        env.Out->flush();
        return ceConverted;
    }
    if (o.Command != TCliCommand::Info && devices.ClassNames().isEmpty()) {
        err << "kovirta-cli: no device catalogue can be read: " << devices.LoadErrors.join(QStringLiteral("; "))
            << '\n';
        err.flush();
        return ceUsage;
    }
    TCliProgress::Mode mode = TCliProgress::Mode::Plain;
    if (o.Json)
        mode = TCliProgress::Mode::Json;
    else if (env.OutIsTerminal)
        mode = TCliProgress::Mode::Terminal;
    int status = ceConverted;
    switch (o.Command) {
    case TCliCommand::Devices:
        status = listDevices(o, devices, *env.Out);
        break;
    case TCliCommand::Info: {
        TCliProgress prompts(TCliProgress::Mode::Plain, err, {}, {});
        status = showInfo(o, env, prompts);
        break;
    }
    case TCliCommand::Convert:
        status = convert(o, env, mode);
        break;
    case TCliCommand::Help:
        break;
    }
    env.Out->flush();
    return status;
}
