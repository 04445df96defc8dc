// The remembered fields of a device class: every key, its default, and what is written back.
#include "core/settings/interface_fields_shot.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

void clearStore()
{
    auto settings = OpenProgramSettings();
    settings->clear();
    settings->sync();
}

} // namespace

TEST(InterfaceFields, DefaultsOfAnEmptyStoreAndTheKeysWritten)
{
    clearStore();
    {
        const TInterfaceFieldsShot shot(2);
        EXPECT_EQ(shot.GetManufacturer(), -1);
        EXPECT_EQ(shot.GetModel(), -1);
        EXPECT_EQ(shot.GetVideoQuality(), 0);
        EXPECT_EQ(shot.GetAudioBitRate(), QString());
        EXPECT_TRUE(shot.GetUseVideoBitRateFromDataBase());
        EXPECT_TRUE(shot.GetUseChannelsCountFromDataBase());
        EXPECT_TRUE(shot.GetPreserveFileLocation());
        EXPECT_FALSE(shot.GetShowFileInfo());
        EXPECT_FALSE(shot.GetDeleteFileAfterConversion());
    }
    {
        TInterfaceFieldsShot shot(2);
        shot.SetManufacturer(0);
        shot.SetAudioBitRate(QStringLiteral("96"));
        shot.SetUseSamplingFromDataBase(false);
        shot.SetDeleteFileAfterConversion(true);
    }
    const auto settings = OpenProgramSettings();
    EXPECT_EQ(settings->value(QStringLiteral("DeviceType")).toInt(), 2);
    EXPECT_EQ(settings->value(QStringLiteral("MobilePhone/Manufacturer")).toInt(), 0);
    EXPECT_EQ(settings->value(QStringLiteral("MobilePhone/AudioBitRate")).toString(), QStringLiteral("96"));
    EXPECT_EQ(settings->value(QStringLiteral("MobilePhone/UseSamplingFromDataBase")).toInt(), 0);
    EXPECT_EQ(settings->value(QStringLiteral("MobilePhone/DeleteFileAfterConversion")).toInt(), 1);
    const TInterfaceFieldsShot again(2);
    EXPECT_EQ(again.GetManufacturer(), 0);
    EXPECT_FALSE(again.GetUseSamplingFromDataBase());
    EXPECT_TRUE(again.GetDeleteFileAfterConversion());
    EXPECT_EQ(TInterfaceFieldsShot(3).GetManufacturer(), -1) << "each class has fields of its own";
}

TEST(InterfaceFields, TheTableNamesEveryStoredKeyOnce)
{
    QStringList names = TInterfaceFieldsShot::FieldNames();
    EXPECT_EQ(names.size(), 28);
    EXPECT_EQ(names.removeDuplicates(), 0);
    for (const char* name : {"Manufacturer", "AudioChanels", "PreserveFileLocation", "CheckOverwrites",
                             "ConvertedFileDataAsOriginal", "AudioVolumeLevel"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
}
