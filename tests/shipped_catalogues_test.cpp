// Every model of every shipped catalogue: complete values, pictures that load, and a real
// conversion of a corpus file with its format, codecs and best-level settings.
#include "core/catalogue/device_options_storage.h"
#include "core/conversion/exec_str_calculator.h"
#include "core/conversion/pad_calculator.h"
#include "core/media/file_info.h"
#include "core/media/text_convert.h"
#include "gui/picture_loader.h"
#include "media_measure.h"
#include "test_support.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

QString expectedVideoName(const QString& encoder)
{
    if (encoder == QLatin1String("libx264"))
        return QStringLiteral("h264");
    if (encoder == QLatin1String("libxvid"))
        return QStringLiteral("mpeg4");
    return encoder;
}

class ShippedCatalogue : public ::testing::TestWithParam<const char*> {};

// A catalogue's models, each read whole.
struct CatalogueModel {
    QString manufacturer;
    TDeviceModel model;
};

QList<CatalogueModel> modelsOf(const QString& file)
{
    pugi::xml_document document;
    if (!document.load_file(file.toUtf8().constData(), kCatalogueParseOptions))
        return {};
    const TDeviceOptionsStorage store(document, QString()); // never written back
    QList<CatalogueModel> models;
    for (const QString& maker : store.GetManufacturerNames()) {
        for (const QString& name : store.GetModelNames(maker)) {
            CatalogueModel entry{maker, {}};
            store.GetModel(name, maker, entry.model);
            models.append(entry);
        }
    }
    return models;
}

// The encoder command of a model's Best level, as the window builds it.
TExecStrCalculator bestLevelJob(const QString& programDir, const TFileInfo& source, const TDeviceModel& model,
                                const QString& target)
{
    TExecStrCalculator calculator(programDir);
    calculator.FileInfo = source;
    TConversionRequest& p = calculator.Parameters;
    p.FileFormat = model.FileFormat;
    p.VideoCodec = model.VideoCodec;
    p.AudioCodec = model.AudioCodec;
    p.ResolutionX = model.ResolutionX.toInt();
    p.ResolutionY = model.ResolutionY.toInt();
    p.VideoBitRate = qRound(model.Best.Video.BitRate.toDouble());
    p.FrameRate = model.Best.Video.FrameRate.toDouble();
    p.AudioBitRate = qRound(model.Best.Audio.BitRate.toDouble());
    p.Sampling = model.Best.Audio.Sampling.toInt();
    p.Channels = model.Best.Audio.Channels;
    p.Volume = 100;
    p.VideoProfile = model.VideoProfile;
    p.VideoLevel = model.VideoLevel;
    p.MaxVideoBitRate = model.MaxVideoBitRate.isEmpty() ? 0 : StrToFloatAnySeparator(model.MaxVideoBitRate);
    calculator.SourceFile = source.FilePath;
    calculator.TargetFile = target;
    return calculator;
}

// What a level lets a decoder take: frame size and rate in macroblocks, and the peak bit rate.
struct LevelLimit {
    int64_t frameMbs;
    int64_t mbsPerSecond;
    double kbps;
};

// H.264 levels by level_idc (baseline and main; high takes a quarter more bits).
const std::map<int, LevelLimit> kH264Levels = {
    {9, {99, 1485, 128}},          {10, {99, 1485, 64}},           {11, {396, 3000, 192}},
    {12, {396, 6000, 384}},        {13, {396, 11880, 768}},        {20, {396, 11880, 2000}},
    {21, {792, 19800, 4000}},      {22, {1620, 20250, 4000}},      {30, {1620, 40500, 10000}},
    {31, {3600, 108000, 14000}},   {32, {5120, 216000, 20000}},    {40, {8192, 245760, 20000}},
    {41, {8192, 245760, 50000}},   {42, {8704, 522240, 50000}},    {50, {22080, 589824, 135000}},
    {51, {36864, 983040, 240000}}, {52, {36864, 2073600, 240000}},
};
// MPEG-4 Simple Profile levels by the low nibble of profile_and_level_indication.
const std::map<int, LevelLimit> kMpeg4SimpleLevels = {
    {8, {99, 1485, 64}},    {1, {99, 1485, 64}},      {9, {99, 1485, 128}},     {2, {396, 5940, 128}},
    {3, {396, 11880, 384}}, {4, {1200, 36000, 4000}}, {5, {1620, 40500, 8000}}, {6, {3600, 108000, 12000}},
};

int h264ProfileCode(const QString& name)
{
    if (name == QLatin1String("baseline"))
        return 66;
    if (name == QLatin1String("high"))
        return 100;
    return 77; // main, the encoder's default
}

// The level_idc a catalogue's level names: "3.1" -> 31, "4" -> 40.
int h264LevelCode(const QString& name)
{
    return static_cast<int>(std::lround(name.toDouble() * 10));
}

// The level the encoder picks when the catalogue names none: the lowest that holds the frame, the
// macroblock rate (when the frame rate is known; an unknown one is left out, which can only pick a
// lower level) and the bit rate. Levels 1b, 0 and 0b are only used when named.
const LevelLimit* automaticLevel(const std::map<int, LevelLimit>& levels, bool h264, int64_t frameMbs, double frameRate,
                                 double kbps)
{
    for (const auto& [code, limit] : levels) {
        if ((h264 && code == 9) || (!h264 && (code == 8 || code == 9)))
            continue;
        const bool rateFits =
            frameRate <= 0 || static_cast<double>(frameMbs) * frameRate <= static_cast<double>(limit.mbsPerSecond);
        if (frameMbs <= limit.frameMbs && rateFits && kbps <= limit.kbps)
            return &limit;
    }
    return nullptr;
}

// Every model of the four shipped catalogues, with its class.
struct ShippedModel {
    QString deviceClass;
    CatalogueModel entry;
};

const char* const kCatalogues[] = {"MediaPlayer.dat", "MobilePhone.dat", "PocketComputer.dat", "GameConsole.dat"};

QList<ShippedModel> allShippedModels()
{
    QList<ShippedModel> all;
    for (const char* file : kCatalogues) {
        const QString name = QString::fromLatin1(file);
        for (const CatalogueModel& entry : modelsOf(realProgramDir() + name))
            all.append({name.left(name.indexOf(QLatin1Char('.'))), entry});
    }
    return all;
}

// The Screen cell of every model row of data/README.md, by "class|manufacturer|model".
std::map<QString, QString> documentedScreens()
{
    std::map<QString, QString> screens;
    QFile readme(QStringLiteral(KOVIRTA_DATA_README));
    if (!readme.open(QIODevice::ReadOnly | QIODevice::Text))
        return screens;
    while (!readme.atEnd()) {
        const QString line = QString::fromUtf8(readme.readLine()).trimmed();
        if (!line.startsWith(QLatin1String("| ")))
            continue;
        const QStringList cells = line.mid(2).split(QStringLiteral(" | "));
        if (cells.size() >= 5)
            screens[cells[0] + QLatin1Char('|') + cells[1] + QLatin1Char('|') + cells[2]] = cells[4];
    }
    return screens;
}

// A 1080p60 H.264 clip with sound, made from the corpus by the encoder itself.
QString make1080p60Source(const QString& folder)
{
    const QString path = folder + QStringLiteral("/source-1080p60.mp4");
    const ProgramRun run =
        runProgram(realEncoder(), {QStringLiteral("-i"),      corpusFile(QStringLiteral("sowt-with-video.mov")),
                                   QStringLiteral("-f"),      QStringLiteral("mp4"),
                                   QStringLiteral("-s"),      QStringLiteral("1920x1080"),
                                   QStringLiteral("-vcodec"), QStringLiteral("libx264"),
                                   QStringLiteral("-r"),      QStringLiteral("60"),
                                   QStringLiteral("-b"),      QStringLiteral("12000k"),
                                   QStringLiteral("-acodec"), QStringLiteral("aac"),
                                   QStringLiteral("-ab"),     QStringLiteral("128k"),
                                   QStringLiteral("-ar"),     QStringLiteral("48000"),
                                   QStringLiteral("-ac"),     QStringLiteral("2"),
                                   QStringLiteral("-y"),      path});
    return run.exitCode == 0 ? path : QString();
}

} // namespace

TEST_P(ShippedCatalogue, EveryModelConverts)
{
    const QString programDir = realProgramDir();
    const QString file = programDir + QString::fromLatin1(GetParam());
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(file.toUtf8().constData(), kCatalogueParseOptions)) << file.toStdString();
    const TDeviceOptionsStorage store(document, QString()); // never written back

    TFileInfo source;
    TFileInfoParser(corpusFile(QStringLiteral("sample.mp4")), programDir, nullptr).Probe(source);
    ASSERT_FALSE(IsUnsupported(source));

    const QStringList manufacturers = store.GetManufacturerNames();
    EXPECT_GE(QSet<QString>(manufacturers.begin(), manufacturers.end()).size(), 5);
    int models = 0;
    QTemporaryDir out;
    for (const QString& maker : manufacturers) {
        TDeviceManufacturer m;
        store.GetManufacturer(maker, m);
        EXPECT_FALSE(LoadCataloguePicture(programDir, m.Logo).isNull()) << m.Logo.toStdString();
        for (const QString& name : store.GetModelNames(maker)) {
            SCOPED_TRACE(QString(maker + QLatin1Char(' ') + name).toStdString());
            ++models;
            TDeviceModel model;
            store.GetModel(name, maker, model);
            EXPECT_FALSE(LoadCataloguePicture(programDir, model.Image).isNull());
            const int width = model.ResolutionX.toInt();
            const int height = model.ResolutionY.toInt();
            ASSERT_GT(width, 0);
            ASSERT_GT(height, 0);
            ASSERT_FALSE(model.Best.Video.BitRate.isEmpty());

            const TExecStrCalculator calculator =
                bestLevelJob(programDir, source, model, out.path() + QStringLiteral("/out.") + model.FileFormat);
            const ProgramRun run = runProgram(calculator.EncoderPath(), calculator.GetArguments());
            ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();

            TFileInfo converted;
            TFileInfoParser(calculator.TargetFile, programDir, nullptr).Probe(converted);
            EXPECT_EQ(converted.VideoCodec, expectedVideoName(model.VideoCodec));
            qint32 screenWidth = width;
            qint32 screenHeight = height;
            OrientScreenToSource(source.Resolution, screenWidth, screenHeight);
            EXPECT_EQ(converted.Resolution, QStringLiteral("%1x%2").arg(screenWidth).arg(screenHeight));
            EXPECT_FALSE(converted.AudioCodec.isEmpty());
        }
    }
    EXPECT_GE(models, 15);
}

TEST_P(ShippedCatalogue, EveryModelPlaysWithinItsDecoderLimits)
{
    const QString programDir = realProgramDir();
    const QList<CatalogueModel> models = modelsOf(programDir + QString::fromLatin1(GetParam()));
    ASSERT_GE(models.size(), 15);
    QTemporaryDir work;
    const QString sourcePath = make1080p60Source(work.path());
    ASSERT_FALSE(sourcePath.isEmpty());
    TFileInfo source;
    TFileInfoParser(sourcePath, programDir, nullptr).Probe(source);
    ASSERT_EQ(source.Resolution, QStringLiteral("1920x1080"));
    ASSERT_NEAR(source.FrameRate, 60, 0.01);

    for (const CatalogueModel& entry : models) {
        const TDeviceModel& model = entry.model;
        SCOPED_TRACE(QString(entry.manufacturer + QLatin1Char(' ') + model.Name).toStdString());
        const QString target = work.path() + QStringLiteral("/out.") + model.FileFormat;
        const TExecStrCalculator job = bestLevelJob(programDir, source, model, target);
        const ProgramRun run = runProgram(job.EncoderPath(), job.GetArguments());
        ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
        const MediaFacts facts = readMediaFacts(target.toStdString());
        ASSERT_TRUE(facts.video.present);

        // The frame is the device's screen, as held for the source.
        qint32 screenWidth = model.ResolutionX.toInt();
        qint32 screenHeight = model.ResolutionY.toInt();
        OrientScreenToSource(source.Resolution, screenWidth, screenHeight);
        EXPECT_EQ(facts.video.width, screenWidth);
        EXPECT_EQ(facts.video.height, screenHeight);

        // Profile and level: the model's, or ones that hold the stream; the peak rate within them.
        const int64_t frameMbs = ((facts.video.width + 15) / 16) * ((facts.video.height + 15) / 16);
        double peakKbps = model.MaxVideoBitRate.isEmpty() ? 0 : model.MaxVideoBitRate.toDouble();
        const std::map<int, LevelLimit>* levels = nullptr;
        double highScale = 1.0;
        if (model.VideoCodec == QLatin1String("libx264")) {
            const int profile = h264ProfileCode(model.VideoProfile);
            if (profile == 66) { // x264's baseline streams say "constrained"
                EXPECT_TRUE(facts.video.profile == 66 || facts.video.profile == (66 | 512)) << facts.video.profile;
            } else {
                EXPECT_EQ(facts.video.profile, profile);
            }
            if (!model.VideoLevel.isEmpty()) {
                EXPECT_LE(facts.video.level, h264LevelCode(model.VideoLevel));
            }
            levels = &kH264Levels;
            highScale = profile == 100 ? 1.25 : 1.0;
        } else if (model.VideoCodec == QLatin1String("mpeg4") || model.VideoCodec == QLatin1String("libxvid")) {
            EXPECT_EQ(facts.video.profile, 0) << "simple profile";
            levels = &kMpeg4SimpleLevels;
        }
        if (levels) {
            const auto level = levels->find(facts.video.level);
            ASSERT_NE(level, levels->end()) << "level " << facts.video.level;
            EXPECT_LE(frameMbs, level->second.frameMbs);
            EXPECT_LE(static_cast<double>(frameMbs) * facts.video.frameRate,
                      static_cast<double>(level->second.mbsPerSecond) * 1.001);
            const double levelKbps = level->second.kbps * highScale;
            peakKbps = peakKbps > 0 ? std::min(peakKbps, levelKbps) : levelKbps;
        }
        if (peakKbps > 0) {
            EXPECT_LE(peakBitRate(facts.video) / 1000, peakKbps * 1.1);
        }

        // Sound the container takes.
        ASSERT_TRUE(facts.audio.present);
        EXPECT_GE(facts.audio.channels, 1);
        EXPECT_LE(facts.audio.channels, 2);
        const QList<int> rates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
        EXPECT_TRUE(rates.contains(facts.audio.sampleRate)) << facts.audio.sampleRate;
        if (!model.Best.Audio.Sampling.isEmpty()) {
            EXPECT_EQ(facts.audio.sampleRate, model.Best.Audio.Sampling.toInt());
        }
        QFile::remove(target);
    }
}

// Each quality level's video bit rate leaves the peak-rate check its margin: at most 60 % of the
// model's peak rate or of the level's (the named one, else the one the encoder picks), and a named
// level holds the frame at every level's frame rate (30 where the source's is kept).
TEST_P(ShippedCatalogue, EveryQualityLevelStaysWellWithinItsDecoderLimits)
{
    const QList<CatalogueModel> models = modelsOf(realProgramDir() + QString::fromLatin1(GetParam()));
    ASSERT_GE(models.size(), 15);
    for (const CatalogueModel& entry : models) {
        const TDeviceModel& model = entry.model;
        SCOPED_TRACE(QString(entry.manufacturer + QLatin1Char(' ') + model.Name).toStdString());
        const bool h264 = model.VideoCodec == QLatin1String("libx264");
        const bool mpeg4 = model.VideoCodec == QLatin1String("mpeg4") || model.VideoCodec == QLatin1String("libxvid");
        const double scale = h264 && h264ProfileCode(model.VideoProfile) == 100 ? 1.25 : 1.0;
        const double modelPeak = model.MaxVideoBitRate.isEmpty() ? 0 : model.MaxVideoBitRate.toDouble();
        const int64_t widthMbs = (model.ResolutionX.toInt() + 15) / 16;
        const int64_t heightMbs = (model.ResolutionY.toInt() + 15) / 16;
        const int64_t frameMbs = widthMbs * heightMbs;
        const LevelLimit* named = nullptr;
        if (h264 && !model.VideoLevel.isEmpty()) {
            const auto found = kH264Levels.find(h264LevelCode(model.VideoLevel));
            ASSERT_NE(found, kH264Levels.end()) << model.VideoLevel.toStdString();
            named = &found->second;
            const auto side = static_cast<int64_t>(std::sqrt(8.0 * static_cast<double>(named->frameMbs)));
            EXPECT_LE(frameMbs, named->frameMbs);
            EXPECT_LE(std::max(widthMbs, heightMbs), side);
        }
        for (const TQuality* quality : {&model.Best, &model.Good, &model.Medium, &model.Low}) {
            if (quality->Video.BitRate.isEmpty())
                continue;
            const double kbps = quality->Video.BitRate.toDouble();
            const double frameRate = quality->Video.FrameRate.isEmpty() ? 0 : quality->Video.FrameRate.toDouble();
            SCOPED_TRACE(quality->Video.BitRate.toStdString() + " kbit/s at "
                         + (frameRate > 0 ? quality->Video.FrameRate.toStdString() : std::string("the source's"))
                         + " fps");
            double peak = modelPeak;
            if (h264 || mpeg4) {
                const double wanted = modelPeak > 0 ? std::min(kbps, modelPeak) : kbps;
                const LevelLimit* level = named;
                if (named) {
                    const double rate = frameRate > 0 ? frameRate : 30;
                    EXPECT_LE(static_cast<double>(frameMbs) * rate, static_cast<double>(named->mbsPerSecond));
                } else {
                    // The encoder compares with the table's own (baseline and main) figures, scaled for high.
                    level = automaticLevel(h264 ? kH264Levels : kMpeg4SimpleLevels, h264, frameMbs, frameRate,
                                           wanted / scale);
                }
                ASSERT_NE(level, nullptr) << "no level holds the stream";
                const double levelPeak = level->kbps * scale;
                peak = peak > 0 ? std::min(peak, levelPeak) : levelPeak;
            }
            if (peak > 0) {
                EXPECT_LE(kbps, 0.6 * peak);
            }
        }
    }
}

// No two models of the shipped catalogues show the same picture: byte-identical files count as one.
TEST(ShippedCatalogues, NoTwoModelsShareAPicture)
{
    const QList<ShippedModel> models = allShippedModels();
    ASSERT_GE(models.size(), 60);
    std::map<QByteArray, QString> owners;
    for (const ShippedModel& shipped : models) {
        const QString who = shipped.entry.manufacturer + QLatin1Char(' ') + shipped.entry.model.Name;
        QFile picture(realProgramDir() + shipped.entry.model.Image);
        ASSERT_TRUE(picture.open(QIODevice::ReadOnly)) << who.toStdString();
        const QByteArray digest = QCryptographicHash::hash(picture.readAll(), QCryptographicHash::Sha256);
        const auto [owner, added] = owners.emplace(digest, who);
        EXPECT_TRUE(added) << who.toStdString() << " shows the picture of " << owner->second.toStdString();
    }
}

// Every model has its row in data/README.md, and a size is listed as the device is held for video:
// landscape, unless its row says the device is held upright ("portrait").
TEST(ShippedCatalogues, EverySizeIsLandscapeOrDocumentedPortrait)
{
    const std::map<QString, QString> screens = documentedScreens();
    const QList<ShippedModel> models = allShippedModels();
    ASSERT_GE(models.size(), 60);
    for (const ShippedModel& shipped : models) {
        const TDeviceModel& model = shipped.entry.model;
        const QString key =
            shipped.deviceClass + QLatin1Char('|') + shipped.entry.manufacturer + QLatin1Char('|') + model.Name;
        SCOPED_TRACE(key.toStdString());
        const auto row = screens.find(key);
        ASSERT_NE(row, screens.end()) << "no row in data/README.md";
        if (model.ResolutionX.toInt() < model.ResolutionY.toInt()) {
            EXPECT_TRUE(row->second.contains(QLatin1String("portrait"))) << row->second.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogues, ShippedCatalogue, ::testing::ValuesIn(kCatalogues),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param).substr(0, std::string(param.param).find('.'));
                         });
