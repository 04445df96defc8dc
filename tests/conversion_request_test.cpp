// A conversion request checked and assembled from the window's fields, without a window.
#include "core/conversion/conversion_request.h"
#include "core/media/text_convert.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The fields of a window ready to convert one file for a media player into a folder.
TConversionFields validFields(const QString& folder)
{
    TConversionFields f;
    f.FileCount = 1;
    f.DeviceClass = 1;
    f.Manufacturer = QStringLiteral("Apple");
    f.Model = QStringLiteral("iPod classic");
    f.AudioBitRate = QStringLiteral("128");
    f.Sampling = QStringLiteral("44100");
    f.Stereo = true;
    f.VideoBitRate = QStringLiteral("512");
    f.FrameRate = QStringLiteral("29,97");
    f.Volume = QStringLiteral("100");
    f.ZoomIndex = 0;
    f.ResolutionTypeIndex = 0;
    f.ResolutionX = QStringLiteral("320");
    f.ResolutionY = QStringLiteral("240");
    f.SaveToFolder = true;
    f.DestinationFolder = folder;
    f.OverwriteMode = omNewName;
    f.VideoQualityIndex = 0;
    f.AudioQualityIndex = 1;
    return f;
}

} // namespace

TEST(ConversionRequest, ChecksInOrderWithTheirMessages)
{
    QTemporaryDir folder;
    struct Row {
        QString message;
        std::function<void(TConversionFields&, TCommonConversionParameters&)> breakIt;
    };
    using F = TConversionFields;
    using P = TCommonConversionParameters;
    const Row rows[] = {
        {QStringLiteral("Please add files to the conversion list"), [](F& f, P&) { f.FileCount = 0; }},
        {QStringLiteral("Please select a device type"), [](F& f, P&) { f.DeviceClass = 0; }},
        {QStringLiteral("Please select the device's manufacturer"), [](F& f, P&) { f.Manufacturer.clear(); }},
        {QStringLiteral("Please select the device's model"), [](F& f, P&) { f.Model.clear(); }},
        {QStringLiteral("Please enter the audio Bit Rate"), [](F& f, P&) { f.AudioBitRate.clear(); }},
        {QStringLiteral("Please enter the audio Sampling"), [](F& f, P&) { f.Sampling.clear(); }},
        {QStringLiteral("Please choose the audio Channels: Stereo or Mono"), [](F& f, P&) { f.Stereo = false; }},
        {QStringLiteral("Please enter the video Bit Rate"), [](F& f, P&) { f.VideoBitRate.clear(); }},
        {QStringLiteral("Please enter the video Frame Rate"), [](F& f, P&) { f.FrameRate.clear(); }},
        {QStringLiteral("Please enter the audio Volume level"), [](F& f, P&) { f.Volume.clear(); }},
        {QStringLiteral("Please choose a video Zoom Mode"), [](F& f, P&) { f.ZoomIndex = -1; }},
        {QStringLiteral("Please enter the video Resolution width"), [](F& f, P&) { f.ResolutionX.clear(); }},
        {QStringLiteral("Please enter the video Resolution height"), [](F& f, P&) { f.ResolutionY.clear(); }},
        {QStringLiteral("Please choose an existing folder to save the files to: \"") + folder.path()
             + QStringLiteral("/none\""),
         [](F& f, P&) { f.DestinationFolder += QStringLiteral("/none"); }},
        {QStringLiteral("The video Bit Rate is not a number: \"fast\""),
         [](F& f, P&) { f.VideoBitRate = QStringLiteral("fast"); }},
        {QStringLiteral("The audio Bit Rate is not a number: \" \""),
         [](F& f, P&) { f.AudioBitRate = QStringLiteral(" "); }},
        {QStringLiteral("The video Frame Rate is not a number: \"25 fps\""),
         [](F& f, P&) { f.FrameRate = QStringLiteral("25 fps"); }},
        {QStringLiteral("The audio Sampling is not a whole number: \"44.1\""),
         [](F& f, P& p) {
             f.Sampling = QStringLiteral("44.1");
             p.UseSamplingFromDataBase = true; // checked whatever the flag says
         }},
    };
    const P record;
    EXPECT_FALSE(TConversionRequest::Check(validFields(folder.path()), record));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].message.toStdString());
        TConversionFields fields = validFields(folder.path());
        P p = record;
        rows[i].breakIt(fields, p);
        const auto refusal = TConversionRequest::Check(fields, p);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->Text, rows[i].message);
        EXPECT_EQ(refusal->Caption, QStringLiteral("Warning"));
        EXPECT_EQ(refusal->Icon, i < 4 ? PromptIcon::Question : PromptIcon::Warning);
    }
}

TEST(ConversionRequest, ValuesLeftToTheSourceAndFieldsThatDoNotApplyAreNotChecked)
{
    TConversionFields fields = validFields(QStringLiteral("/no/such/folder"));
    fields.PreserveLocation = true; // the folder field is not used then
    fields.SaveToFolder = false;
    fields.Stereo = false;
    fields.AudioBitRate = QStringLiteral("0");
    TCommonConversionParameters p;
    p.UseChannelsCountFromDataBase = true;
    EXPECT_FALSE(TConversionRequest::Check(fields, p));
}

TEST(ConversionRequest, AssembledFromFieldsModelAndLiveFlags)
{
    QTemporaryDir folder;
    TCommonConversionParameters current;
    current.UseSamplingFromDataBase = true;
    current.Channels = 7; // kept while the channel count comes from the source
    current.UseChannelsCountFromDataBase = true;
    TDeviceModel model;
    model.VideoCodec = QStringLiteral("libx264");
    model.AudioCodec = QStringLiteral("aac");
    model.FileFormat = QStringLiteral("mp4");
    model.VideoProfile = QStringLiteral("baseline");
    model.VideoLevel = QStringLiteral("3.0");
    model.MaxVideoBitRate = QStringLiteral("1500,5");
    const TCommonConversionParameters p = TConversionRequest::Assemble(validFields(folder.path()), current, model, 123);
    EXPECT_DOUBLE_EQ(p.AudioBitRate, 128);
    EXPECT_EQ(p.Sampling, 0) << "left to the source";
    EXPECT_EQ(p.Channels, 7);
    EXPECT_DOUBLE_EQ(p.VideoBitRate, 512);
    EXPECT_DOUBLE_EQ(p.FrameRate, 29.97);
    EXPECT_EQ(p.ZoomMode, zmFitToScreen);
    EXPECT_EQ(p.ResolutionX, 320);
    EXPECT_EQ(p.ResolutionY, 240);
    EXPECT_EQ(p.Volume, 100);
    EXPECT_EQ(p.OverwriteMode, omNewName);
    EXPECT_EQ(p.OutputLocation, olFolder);
    EXPECT_EQ(p.DestinationFolder, folder.path() + QLatin1Char('/'));
    EXPECT_EQ(p.VideoQuality, qlBest);
    EXPECT_EQ(p.AudioQuality, qlGood);
    EXPECT_EQ(p.FileFormat, QStringLiteral("mp4"));
    EXPECT_EQ(p.VideoProfile, QStringLiteral("baseline"));
    EXPECT_EQ(p.VideoLevel, QStringLiteral("3.0"));
    EXPECT_DOUBLE_EQ(p.MaxVideoBitRate, 1500.5);
    EXPECT_EQ(p.TotalDuration, 123);

    // Preserving the location keeps the folder of an earlier request; no overwrite button keeps
    // the earlier mode; a value that cannot be read is an error, and nothing is half-assembled.
    TConversionFields preserve = validFields(QStringLiteral("/elsewhere"));
    preserve.PreserveLocation = true;
    preserve.SaveToFolder = false;
    preserve.OverwriteMode = -1;
    const TCommonConversionParameters again = TConversionRequest::Assemble(preserve, p, model, 1);
    EXPECT_EQ(again.OutputLocation, olPreserve);
    EXPECT_EQ(again.DestinationFolder, p.DestinationFolder);
    EXPECT_EQ(again.OverwriteMode, omNewName);
    TConversionFields broken = validFields(folder.path());
    broken.ResolutionX = QStringLiteral("wide");
    EXPECT_THROW(TConversionRequest::Assemble(broken, p, model, 1), EConvertError);
}
