#include "cli/cli_options.h"

#include "core/conversion/conversion_request.h"
#include "core/conversion/quality_fields.h"
#include "core/media/text_convert.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <map>

namespace {

const QStringList kLevels = {QStringLiteral("Best"), QStringLiteral("Good"), QStringLiteral("Medium"),
                             QStringLiteral("Low")};

// The options of "convert" that take a value.
const QStringList kValueOptions = {
    QStringLiteral("--device"),        QStringLiteral("--quality"),       QStringLiteral("--audio-quality"),
    QStringLiteral("--video-bitrate"), QStringLiteral("--frame-rate"),    QStringLiteral("--resolution"),
    QStringLiteral("--zoom"),          QStringLiteral("--volume"),        QStringLiteral("--channels"),
    QStringLiteral("--sampling"),      QStringLiteral("--audio-bitrate"), QStringLiteral("--output-dir"),
    QStringLiteral("--overwrite"),     QStringLiteral("--jobs"),
};
const QStringList kFlagOptions = {QStringLiteral("--delete-source"), QStringLiteral("--json")};

struct TUsage {
    QString message;
};

int levelOf(const QString& option, const QString& value)
{
    for (qsizetype i = 0; i < kLevels.size(); ++i) {
        if (kLevels[i].compare(value, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    throw TUsage{QStringLiteral("%1: '%2' is not Best, Good, Medium or Low").arg(option, value)};
}

// A positive number as the window's fields take it (a decimal point or comma).
double positiveNumber(const QString& option, const QString& value)
{
    try {
        const double number = StrToFloatAnySeparator(value);
        if (number > 0)
            return number;
    } catch (const EConvertError&) {
    }
    throw TUsage{QStringLiteral("%1: '%2' is not a positive number").arg(option, value)};
}

int positiveKbitPerSecond(const QString& option, const QString& value)
{
    positiveNumber(option, value);
    try {
        return ReadKbitPerSecond(value);
    } catch (const EConvertError& e) {
        throw TUsage{option + QStringLiteral(": ") + e.message()};
    }
}

int wholeNumber(const QString& option, const QString& value, int lowest, int highest)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < lowest || number > highest)
        throw TUsage{
            QStringLiteral("%1: '%2' is not a whole number from %3 to %4").arg(option, value).arg(lowest).arg(highest)};
    return number;
}

// A conversion that cannot go ahead, in the words the window uses for the same fields.
TUsage refused(const QString& text)
{
    return TUsage{QStringLiteral("convert: ") + text};
}

// A quality value of the model's level that was not given: nothing where the source's own value
// is taken, else the catalogue's text read by `read`. A level the model lacks leaves the field
// empty, as it leaves the window's.
template <typename T, typename Read>
std::optional<T> levelValue(bool hasLevel, const QString& text, bool fromSource, const char* field,
                            const QString& notReadable, Read read)
{
    if (fromSource)
        return std::nullopt;
    if (!hasLevel || text.isEmpty())
        throw refused(QStringLiteral("Please enter the %1").arg(QLatin1String(field)));
    try {
        return read(text);
    } catch (const EConvertError&) {
        throw refused(notReadable.arg(QLatin1String(field), text));
    }
}

// The model's screen side, as the window's resolution field holds it.
qint32 screenSide(const QString& text, const char* field)
{
    if (text.isEmpty())
        throw refused(QStringLiteral("Please enter the video Resolution %1").arg(QLatin1String(field)));
    try {
        return StrToInt(text);
    } catch (const EConvertError& e) {
        throw refused(e.message());
    }
}

// "convert": the request filled as the window's fields fill it for the same choices.
void readConvert(const std::map<QString, QString>& values, const QStringList& flags, TCliParse& parse,
                 const TDeviceDirectory& devices, bool stdinIsTerminal)
{
    TCliOptions& o = parse.Options;
    auto value = [&values](const char* option) {
        const auto found = values.find(QString::fromLatin1(option));
        return found == values.end() ? QString() : found->second;
    };
    auto given = [&values](const char* option) { return values.count(QString::fromLatin1(option)) > 0; };

    if (!given("--device"))
        throw TUsage{QStringLiteral("convert: --device CLASS/MANUFACTURER/MODEL is required")};
    if (o.Files.isEmpty())
        throw TUsage{QStringLiteral("convert: no FILE given")};
    const TDeviceLookup lookup = devices.Lookup(value("--device"));
    if (!lookup.Found) {
        parse.CloseMatches = lookup.CloseMatches;
        throw TUsage{QStringLiteral("--device: ") + lookup.Error};
    }
    o.Device = lookup.Device;
    const TDeviceModel model = devices.Model(o.Device);

    TConversionRequest& r = o.Parameters;
    r = TConversionRequest();
    if (given("--quality"))
        r.VideoQuality = static_cast<TQualityLevel>(levelOf(QStringLiteral("--quality"), value("--quality")));
    if (given("--audio-quality"))
        r.AudioQuality =
            static_cast<TQualityLevel>(levelOf(QStringLiteral("--audio-quality"), value("--audio-quality")));
    // A value given by hand stands, as an edited field of the window does.
    std::optional<int> videoBitRate, audioBitRate, sampling, channels;
    std::optional<double> frameRate;
    if (given("--video-bitrate"))
        videoBitRate = positiveKbitPerSecond(QStringLiteral("--video-bitrate"), value("--video-bitrate"));
    if (given("--frame-rate"))
        frameRate = positiveNumber(QStringLiteral("--frame-rate"), value("--frame-rate"));
    if (given("--audio-bitrate"))
        audioBitRate = positiveKbitPerSecond(QStringLiteral("--audio-bitrate"), value("--audio-bitrate"));
    if (given("--sampling"))
        sampling = wholeNumber(QStringLiteral("--sampling"), value("--sampling"), 1000, 192000);
    if (given("--channels"))
        channels = wholeNumber(QStringLiteral("--channels"), value("--channels"), 1, 2);
    r.Volume = given("--volume") ? wholeNumber(QStringLiteral("--volume"), value("--volume"), 0, 1000) : 100;
    if (given("--zoom")) {
        const QString zoom = value("--zoom").toLower();
        if (zoom != QLatin1String("fit") && zoom != QLatin1String("full"))
            throw TUsage{QStringLiteral("--zoom: '%1' is not fit or full").arg(value("--zoom"))};
        r.ZoomMode = zoom == QLatin1String("fit") ? zmFitToScreen : zmFullScreen;
    }
    std::optional<std::pair<int, int>> resolution;
    if (given("--resolution")) {
        static const QRegularExpression size(QStringLiteral("^([0-9]{1,5})[xX]([0-9]{1,5})$"));
        const QRegularExpressionMatch m = size.match(value("--resolution"));
        if (!m.hasMatch() || m.captured(1).toInt() < 16 || m.captured(2).toInt() < 16)
            throw TUsage{
                QStringLiteral("--resolution: '%1' is not WIDTHxHEIGHT (16 or more each)").arg(value("--resolution"))};
        resolution = std::pair{m.captured(1).toInt(), m.captured(2).toInt()};
    }
    if (given("--output-dir")) {
        // The folder the system means: ".." taken after links, never cut away as text.
        const QString named = value("--output-dir");
        const QString joined =
            named.startsWith(QLatin1Char('/')) ? named : QDir::currentPath() + QLatin1Char('/') + named;
        const QString folder = QFileInfo(joined).canonicalFilePath();
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            throw TUsage{QStringLiteral("--output-dir: '%1' is not a folder").arg(value("--output-dir"))};
        r.OutputLocation = olFolder;
        r.DestinationFolder = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    }
    if (given("--overwrite")) {
        const QStringList modes = {QStringLiteral("ask"), QStringLiteral("replace"), QStringLiteral("keep"),
                                   QStringLiteral("rename")};
        const qsizetype mode = modes.indexOf(value("--overwrite").toLower());
        if (mode < 0)
            throw TUsage{
                QStringLiteral("--overwrite: '%1' is not ask, replace, keep or rename").arg(value("--overwrite"))};
        r.OverwriteMode = static_cast<TOverwriteMode>(mode);
    }
    // Nobody to ask: an existing output is kept.
    if (r.OverwriteMode == omAsk && !stdinIsTerminal)
        r.OverwriteMode = omSkip;
    r.DeleteAfterConversion = flags.contains(QStringLiteral("--delete-source"));
    if (given("--jobs"))
        o.Jobs = wholeNumber(QStringLiteral("--jobs"), value("--jobs"), 1, 256);

    // What was not given comes from the model's levels, in the order the window checks its fields.
    const std::optional<TVideoQualityFields> video = VideoQualityFields(model, r.VideoQuality);
    const std::optional<TAudioQualityFields> audio = AudioQualityFields(model, r.AudioQuality);
    const TVideoQualityFields videoLevel = video.value_or(TVideoQualityFields());
    const TAudioQualityFields audioLevel = audio.value_or(TAudioQualityFields());
    const QString notANumber = QStringLiteral("The %1 is not a number: \"%2\"");
    r.AudioBitRate = audioBitRate ? audioBitRate
                                  : levelValue<int>(audio.has_value(), audioLevel.BitRate, audioLevel.BitRateFromSource,
                                                    "audio Bit Rate", notANumber, ReadKbitPerSecond);
    r.Sampling = sampling
        ? sampling
        : levelValue<int>(audio.has_value(), audioLevel.Sampling, audioLevel.SamplingFromSource, "audio Sampling",
                          QStringLiteral("The %1 is not a whole number: \"%2\""), StrToInt);
    if (channels)
        r.Channels = channels;
    else if (audioLevel.ChannelsFromSource)
        r.Channels.reset();
    else if (audioLevel.Channels == 1 || audioLevel.Channels == 2)
        r.Channels = audioLevel.Channels;
    else
        throw refused(QStringLiteral("Please choose the audio Channels: Stereo or Mono"));
    r.VideoBitRate = videoBitRate ? videoBitRate
                                  : levelValue<int>(video.has_value(), videoLevel.BitRate, videoLevel.BitRateFromSource,
                                                    "video Bit Rate", notANumber, ReadKbitPerSecond);
    r.FrameRate = frameRate
        ? frameRate
        : levelValue<double>(video.has_value(), videoLevel.FrameRate, videoLevel.FrameRateFromSource,
                             "video Frame Rate", notANumber, StrToFloatAnySeparator);
    r.ResolutionType = resolution ? rtCustom : rtOriginal;
    r.ResolutionX = resolution ? resolution->first : screenSide(model.ResolutionX, "width");
    r.ResolutionY = resolution ? resolution->second : screenSide(model.ResolutionY, "height");
    try {
        TakeDeviceFormats(model, r);
    } catch (const EConvertError& e) {
        throw refused(e.message());
    }
}

} // namespace

TCliParse ParseCliArguments(const QStringList& args, const TDeviceDirectory& devices, bool stdinIsTerminal)
{
    TCliParse parse;
    TCliOptions& o = parse.Options;
    try {
        if (args.isEmpty())
            throw TUsage{QStringLiteral("no command given (devices, convert or info; --help lists them)")};
        // After "--" everything is a file, "-h" too.
        const QStringList options = args.mid(0, args.indexOf(QStringLiteral("--")));
        if (options.contains(QStringLiteral("--help")) || options.contains(QStringLiteral("-h"))
            || args.front() == QLatin1String("help")) {
            o.Command = TCliCommand::Help;
            return parse;
        }
        const QString command = args.front();
        if (command == QLatin1String("devices"))
            o.Command = TCliCommand::Devices;
        else if (command == QLatin1String("convert"))
            o.Command = TCliCommand::Convert;
        else if (command == QLatin1String("info"))
            o.Command = TCliCommand::Info;
        else
            throw TUsage{QStringLiteral("unknown command '%1' (devices, convert or info)").arg(command)};

        std::map<QString, QString> values;
        QStringList flags;
        QStringList operands;
        bool optionsEnded = false;
        for (qsizetype i = 1; i < args.size(); ++i) {
            QString arg = args[i];
            if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
                operands.append(arg);
                continue;
            }
            if (arg == QLatin1String("--")) {
                optionsEnded = true;
                continue;
            }
            QString inlineValue;
            const qsizetype equals = arg.indexOf(QLatin1Char('='));
            const bool hasInline = equals > 0;
            if (hasInline) {
                inlineValue = arg.mid(equals + 1);
                arg.truncate(equals);
            }
            const bool takesValue = kValueOptions.contains(arg) && o.Command == TCliCommand::Convert;
            const bool isFlag =
                arg == QLatin1String("--json") || (kFlagOptions.contains(arg) && o.Command == TCliCommand::Convert);
            if (!takesValue && !isFlag)
                throw TUsage{QStringLiteral("%1: unknown option '%2'").arg(command, arg)};
            if (isFlag) {
                if (hasInline)
                    throw TUsage{QStringLiteral("%1 takes no value").arg(arg)};
                flags.append(arg);
                continue;
            }
            if (!hasInline) {
                if (i + 1 >= args.size())
                    throw TUsage{QStringLiteral("%1 needs a value").arg(arg)};
                inlineValue = args[++i];
            }
            if (values.count(arg))
                throw TUsage{QStringLiteral("%1 is given twice").arg(arg)};
            values[arg] = inlineValue;
        }
        o.Json = flags.contains(QStringLiteral("--json"));

        switch (o.Command) {
        case TCliCommand::Devices:
            if (operands.size() > 2)
                throw TUsage{QStringLiteral("devices: at most CLASS and MANUFACTURER")};
            if (!operands.isEmpty()) {
                o.DeviceClass = devices.ClassOf(operands[0]);
                if (o.DeviceClass == 0)
                    throw TUsage{QStringLiteral("devices: unknown class '%1' (%2)")
                                     .arg(operands[0], devices.ClassNames().join(QStringLiteral(", ")))};
            }
            if (operands.size() == 2) {
                for (const QString& name : devices.Manufacturers(o.DeviceClass)) {
                    if (name.compare(operands[1], Qt::CaseInsensitive) == 0)
                        o.Manufacturer = name;
                }
                if (o.Manufacturer.isEmpty()) {
                    parse.CloseMatches = devices.Manufacturers(o.DeviceClass);
                    throw TUsage{QStringLiteral("devices: unknown manufacturer '%1' in %2")
                                     .arg(operands[1], DeviceClassKeyName(o.DeviceClass))};
                }
            }
            break;
        case TCliCommand::Info:
            if (operands.isEmpty())
                throw TUsage{QStringLiteral("info: no FILE given")};
            o.Files = operands;
            break;
        case TCliCommand::Convert:
            o.Files = operands;
            readConvert(values, flags, parse, devices, stdinIsTerminal);
            break;
        case TCliCommand::Help:
            break;
        }
    } catch (const TUsage& usage) {
        parse.Error = usage.message;
    }
    return parse;
}

QString CliUsageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  kovirta-cli devices [CLASS [MANUFACTURER]] [--json]\n"
        "  kovirta-cli convert --device CLASS/MANUFACTURER/MODEL [options] FILE...\n"
        "  kovirta-cli info FILE...\n"
        "  kovirta-cli --help\n"
        "\n"
        "devices lists the device classes, a class's manufacturers, or a manufacturer's models with\n"
        "their screen size, format and codecs.\n"
        "\n"
        "convert options (the window's choices; a value left out is the model's, as in the window):\n"
        "  --device NAME          CLASS/MANUFACTURER/MODEL, or MANUFACTURER/MODEL or MODEL where that\n"
        "                         names one device; letters match without regard to case\n"
        "  --quality LEVEL        video quality: Best (default), Good, Medium or Low\n"
        "  --audio-quality LEVEL  sound quality: Best (default), Good, Medium or Low\n"
        "  --video-bitrate K      video bit rate in kbit/s\n"
        "  --frame-rate F         frames a second\n"
        "  --resolution WxH       picture size instead of the model's screen\n"
        "  --zoom fit|full        fit the picture with borders (default) or fill the screen\n"
        "  --volume PERCENT       sound volume, 100 (default) unchanged\n"
        "  --audio-bitrate K      sound bit rate in kbit/s\n"
        "  --channels 1|2         mono or stereo\n"
        "  --sampling HZ          sampling rate\n"
        "  --output-dir DIR       write the results into DIR (default: beside each source)\n"
        "  --overwrite MODE       an output that exists: ask (default; keep when standard input is\n"
        "                         not a terminal), replace, keep or rename\n"
        "  --delete-source        delete each source once its output is complete\n"
        "  --jobs N               convert up to N files at once (default 1)\n"
        "  --json                 one JSON object per event on standard output\n"
        "  --                     every argument after it is a file\n"
        "\n"
        "info prints what the probe learns about each file.\n"
        "\n"
        "Exit status: 0 every file converted, 1 a file failed or was skipped, 2 usage error.\n"
        "\n"
        "Example:\n"
        "  kovirta-cli convert --device \"MediaPlayer/Apple/iPod classic\" --quality Good \\\n"
        "      --output-dir ~/ipod --jobs 2 holiday.avi party.mov\n");
}
