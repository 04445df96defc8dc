// The window's fields checked and read into a conversion request, without a window.
#include "core/conversion/conversion_fields.h"
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

TEST(ConversionFields, ChecksInOrderWithTheirMessages)
{
    QTemporaryDir folder;
    struct Row {
        QString message;
        std::function<void(TConversionFields&)> breakIt;
    };
    using F = TConversionFields;
    const Row rows[] = {
        {QStringLiteral("Please add files to the conversion list"), [](F& f) { f.FileCount = 0; }},
        {QStringLiteral("Please select a device type"), [](F& f) { f.DeviceClass = 0; }},
        {QStringLiteral("Please select the device's manufacturer"), [](F& f) { f.Manufacturer.clear(); }},
        {QStringLiteral("Please select the device's model"), [](F& f) { f.Model.clear(); }},
        {QStringLiteral("Please enter the audio Bit Rate"), [](F& f) { f.AudioBitRate.clear(); }},
        {QStringLiteral("Please enter the audio Sampling"), [](F& f) { f.Sampling.clear(); }},
        {QStringLiteral("Please choose the audio Channels: Stereo or Mono"), [](F& f) { f.Stereo = false; }},
        {QStringLiteral("Please enter the video Bit Rate"), [](F& f) { f.VideoBitRate.clear(); }},
        {QStringLiteral("Please enter the video Frame Rate"), [](F& f) { f.FrameRate.clear(); }},
        {QStringLiteral("Please enter the audio Volume level"), [](F& f) { f.Volume.clear(); }},
        {QStringLiteral("Please choose a video Zoom Mode"), [](F& f) { f.ZoomIndex = -1; }},
        {QStringLiteral("Please enter the video Resolution width"), [](F& f) { f.ResolutionX.clear(); }},
        {QStringLiteral("Please enter the video Resolution height"), [](F& f) { f.ResolutionY.clear(); }},
        {QStringLiteral("Please choose an existing folder to save the files to: \"") + folder.path()
             + QStringLiteral("/none\""),
         [](F& f) { f.DestinationFolder += QStringLiteral("/none"); }},
        {QStringLiteral("The video Bit Rate is not a number: \"fast\""),
         [](F& f) { f.VideoBitRate = QStringLiteral("fast"); }},
        {QStringLiteral("The audio Bit Rate is not a number: \" \""),
         [](F& f) { f.AudioBitRate = QStringLiteral(" "); }},
        {QStringLiteral("The video Frame Rate is not a number: \"25 fps\""),
         [](F& f) { f.FrameRate = QStringLiteral("25 fps"); }},
        {QStringLiteral("The audio Sampling is not a whole number: \"44.1\""),
         [](F& f) {
             f.Sampling = QStringLiteral("44.1");
             f.FromSource.Sampling = true; // checked whatever the flag says
         }},
    };
    EXPECT_FALSE(CheckConversionFields(validFields(folder.path())));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].message.toStdString());
        TConversionFields fields = validFields(folder.path());
        rows[i].breakIt(fields);
        const auto refusal = CheckConversionFields(fields);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->Text, rows[i].message);
        EXPECT_EQ(refusal->Caption, QStringLiteral("Warning"));
        EXPECT_EQ(refusal->Icon, i < 4 ? PromptIcon::Question : PromptIcon::Warning);
    }
}

TEST(ConversionFields, ValuesLeftToTheSourceAndFieldsThatDoNotApplyAreNotChecked)
{
    TConversionFields fields = validFields(QStringLiteral("/no/such/folder"));
    fields.PreserveLocation = true; // the folder field is not used then
    fields.SaveToFolder = false;
    fields.Stereo = false;
    fields.AudioBitRate = QStringLiteral("0");
    fields.FromSource.Channels = true;
    EXPECT_FALSE(CheckConversionFields(fields));
}

TEST(ConversionFields, ReadIntoTypedValuesWithTheModelsFormats)
{
    QTemporaryDir folder;
    TConversionFields fields = validFields(folder.path());
    fields.FromSource.Sampling = true;
    fields.FromSource.Channels = true;
    fields.AudioBitRate = QStringLiteral("127,6"); // rounded to whole kbit/s
    TDeviceModel model;
    model.VideoCodec = QStringLiteral("libx264");
    model.AudioCodec = QStringLiteral("aac");
    model.FileFormat = QStringLiteral("mp4");
    model.VideoProfile = QStringLiteral("baseline");
    model.VideoLevel = QStringLiteral("3.0");
    model.MaxVideoBitRate = QStringLiteral("1500,5");
    const TConversionRequest r = ReadConversionFields(fields, model, 123);
    EXPECT_EQ(r.AudioBitRate, 128);
    EXPECT_EQ(r.Sampling, std::nullopt) << "left to the source";
    EXPECT_EQ(r.Channels, std::nullopt) << "left to the source";
    EXPECT_EQ(r.VideoBitRate, 512);
    ASSERT_TRUE(r.FrameRate);
    EXPECT_DOUBLE_EQ(*r.FrameRate, 29.97);
    EXPECT_EQ(r.ZoomMode, zmFitToScreen);
    EXPECT_EQ(r.ResolutionType, rtOriginal);
    EXPECT_EQ(r.ResolutionX, 320);
    EXPECT_EQ(r.ResolutionY, 240);
    EXPECT_EQ(r.Volume, 100);
    EXPECT_EQ(r.OverwriteMode, omNewName);
    EXPECT_EQ(r.OutputLocation, olFolder);
    EXPECT_EQ(r.DestinationFolder, folder.path() + QLatin1Char('/'));
    EXPECT_EQ(r.VideoQuality, qlBest);
    EXPECT_EQ(r.AudioQuality, qlGood);
    EXPECT_EQ(r.FileFormat, QStringLiteral("mp4"));
    EXPECT_EQ(r.VideoProfile, QStringLiteral("baseline"));
    EXPECT_EQ(r.VideoLevel, QStringLiteral("3.0"));
    EXPECT_DOUBLE_EQ(r.MaxVideoBitRate, 1500.5);
    EXPECT_EQ(r.TotalDuration, 123);
}

TEST(ConversionFields, ChoicesTheFieldsLeaveOpenAndValuesThatDoNotRead)
{
    QTemporaryDir folder;
    const TDeviceModel model;
    struct Row {
        const char* what;
        std::function<void(TConversionFields&)> change;
        std::function<bool(const TConversionRequest&)> holds;
    };
    using F = TConversionFields;
    using R = TConversionRequest;
    const Row rows[] = {
        {"mono",
         [](F& f) {
             f.Stereo = false;
             f.Mono = true;
         },
         [](const R& r) { return r.Channels == 1; }},
        {"full screen", [](F& f) { f.ZoomIndex = 1; }, [](const R& r) { return r.ZoomMode == zmFullScreen; }},
        {"beside the sources",
         [](F& f) {
             f.PreserveLocation = true;
             f.SaveToFolder = false;
         },
         [](const R& r) { return r.OutputLocation == olPreserve && r.DestinationFolder.isEmpty(); }},
        {"no overwrite button asks", [](F& f) { f.OverwriteMode = -1; },
         [](const R& r) { return r.OverwriteMode == omAsk; }},
        {"a level outside the list is the best", [](F& f) { f.AudioQualityIndex = 9; },
         [](const R& r) { return r.AudioQuality == qlBest; }},
        {"video bit rate from the source", [](F& f) { f.FromSource.VideoBitRate = true; },
         [](const R& r) { return !r.VideoBitRate; }},
        {"frame rate from the source", [](F& f) { f.FromSource.FrameRate = true; },
         [](const R& r) { return !r.FrameRate; }},
        {"audio bit rate from the source", [](F& f) { f.FromSource.AudioBitRate = true; },
         [](const R& r) { return !r.AudioBitRate; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TConversionFields fields = validFields(folder.path());
        row.change(fields);
        EXPECT_TRUE(row.holds(ReadConversionFields(fields, model, 1)));
    }

    for (const auto& breakIt : std::initializer_list<std::function<void(F&)>>{
             [](F& f) { f.ResolutionX = QStringLiteral("wide"); }, [](F& f) { f.Volume = QStringLiteral("loud"); },
             [](F& f) { f.VideoBitRate = QStringLiteral("1e12"); }}) {
        TConversionFields broken = validFields(folder.path());
        breakIt(broken);
        EXPECT_THROW(ReadConversionFields(broken, model, 1), EConvertError);
    }
}
