// Every model of every shipped catalogue: complete values, pictures that load, and a real
// conversion of a corpus file with its format, codecs and best-level settings.
#include "catalogue/device_options_storage.h"
#include "catalogue/picture_loader.h"
#include "conversion/exec_str_calculator.h"
#include "media/file_info.h"
#include "test_support.h"

#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
            SCOPED_TRACE((maker + QLatin1Char(' ') + name).toStdString());
            ++models;
            TDeviceModel model;
            store.GetModel(name, maker, model);
            EXPECT_FALSE(LoadCataloguePicture(programDir, model.Image).isNull());
            const int width = model.ResolutionX.toInt();
            const int height = model.ResolutionY.toInt();
            ASSERT_GT(width, 0);
            ASSERT_GT(height, 0);
            ASSERT_FALSE(model.Best.Video.BitRate.isEmpty());

            TExecStrCalculator calculator(programDir);
            calculator.FileInfo = source;
            TCommonConversionParameters& p = calculator.Parameters;
            p.FileFormat = model.FileFormat;
            p.VideoCodec = model.VideoCodec;
            p.AudioCodec = model.AudioCodec;
            p.ResolutionX = width;
            p.ResolutionY = height;
            p.VideoBitRate = model.Best.Video.BitRate.toDouble();
            p.FrameRate = model.Best.Video.FrameRate.toDouble();
            p.AudioBitRate = model.Best.Audio.BitRate.toDouble();
            p.Sampling = model.Best.Audio.Sampling.toInt();
            p.Channels = static_cast<uint8_t>(model.Best.Audio.Channels);
            p.Volume = 100;
            calculator.SourceFile = source.FilePath;
            calculator.TargetFile = out.path() + QStringLiteral("/out.") + model.FileFormat;
            const ProgramRun run = runProgram(calculator.EncoderPath(), calculator.GetArguments());
            ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();

            TFileInfo converted;
            TFileInfoParser(calculator.TargetFile, programDir, nullptr).Probe(converted);
            EXPECT_EQ(converted.VideoCodec, expectedVideoName(model.VideoCodec));
            const QStringList size = converted.Resolution.split(QLatin1Char('x'));
            ASSERT_EQ(size.size(), 2);
            // Fitted with borders: the screen, or a row or two less.
            EXPECT_LE(size[0].toInt(), width);
            EXPECT_GE(size[0].toInt(), width - 2);
            EXPECT_LE(size[1].toInt(), height);
            EXPECT_GE(size[1].toInt(), height - 2);
            EXPECT_FALSE(converted.AudioCodec.isEmpty());
        }
    }
    EXPECT_GE(models, 15);
}

INSTANTIATE_TEST_SUITE_P(Catalogues, ShippedCatalogue,
                         ::testing::Values("MediaPlayer.dat", "MobilePhone.dat", "PocketComputer.dat",
                                           "GameConsole.dat"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             return std::string(param.param).substr(0, std::string(param.param).find('.'));
                         });
