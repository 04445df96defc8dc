// Device and quality selection and the remembered settings, on the offscreen main window.
#include "core/settings/interface_fields_shot.h"
#include "fake_prompts.h"
#include "gui/device_panel.h"
#include "gui/list_box_drag_ext.h"
#include "gui/main_form.h"
#include "gui/picture_loader.h"
#include "gui/quality_panel.h"
#include "test_support.h"
#include "window_controls.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include <gtest/gtest.h>

// Picture statuses by name in failure messages.
void PrintTo(TPictureStatus status, std::ostream* os)
{
    const char* const names[] = {"Loaded", "Absent", "Refused", "Broken"};
    *os << names[static_cast<int>(status)];
}

namespace {

const char* const kPlayers = R"(<Devices>
  <Manufacturer><Name>Bravo</Name><Logo>logos/wide.jpg</Logo><Models>
    <Model><Name>Full</Name><Image>devices/small.jpg</Image><ResolutionX>320</ResolutionX><ResolutionY>240</ResolutionY>
      <VideoCodec>mpeg4</VideoCodec><AudioCodec>aac</AudioCodec><FileFormat>mp4</FileFormat>
      <Qualities>
        <Best><Video><BitRate>384</BitRate><FrameRate>25</FrameRate></Video><Audio><BitRate>128</BitRate><Sampling>44100</Sampling><Channels>2</Channels></Audio></Best>
        <Good><Video><BitRate>256</BitRate></Video><Audio><BitRate>96</BitRate></Audio></Good>
      </Qualities></Model>
    <Model><Name>Bare</Name><ResolutionX>176</ResolutionX><ResolutionY>144</ResolutionY></Model>
  </Models></Manufacturer>
  <Manufacturer><Name>alpha</Name><Logo>logos/none.jpg</Logo></Manufacturer>
  <Manufacturer><Name>Charlie</Name></Manufacturer>
</Devices>)";

const char* const kPhones = R"(<Devices><Manufacturer><Name>Phoneco</Name><Logo>logos/small.jpg</Logo><Models>
  <Model><Name>P1</Name><ResolutionX>240</ResolutionX><ResolutionY>320</ResolutionY></Model></Models></Manufacturer></Devices>)";

void writeJpeg(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(image.save(path, "JPG"));
}

// A small progressive JPEG whose frame header is made to claim another size: a decoder that
// believes it takes in the whole picture at that size before giving out a row.
QByteArray progressiveJpeg(quint16 claimedWidth, quint16 claimedHeight)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    QByteArray bytes = buffer.data();
    const qsizetype frame = bytes.indexOf("\xFF\xC2"); // start of frame, progressive
    EXPECT_GT(frame, 0);
    // After the marker: length (2), precision (1), height (2), width (2), all big-endian.
    bytes[frame + 5] = static_cast<char>(claimedHeight >> 8);
    bytes[frame + 6] = static_cast<char>(claimedHeight & 0xFF);
    bytes[frame + 7] = static_cast<char>(claimedWidth >> 8);
    bytes[frame + 8] = static_cast<char>(claimedWidth & 0xFF);
    return bytes;
}

// A progressive JPEG whose last scan comes again and again: each repeat is a few bytes of file
// and a pass over the whole picture for the decoder.
QByteArray jpegOfManyScans(int repeats)
{
    QByteArray bytes = progressiveJpeg(16, 16);
    const qsizetype lastScan = bytes.lastIndexOf("\xFF\xDA");
    const qsizetype end = bytes.lastIndexOf("\xFF\xD9");
    EXPECT_GT(lastScan, 0);
    const QByteArray scan = bytes.mid(lastScan, end - lastScan);
    bytes.insert(end, scan.repeated(repeats));
    return bytes;
}

const char* const kRateEdits[] = {"VideoBitRateEdt", "VideoFrameRateEdt", "AudioBitRateEdt", "SamplingEdt"};

class DeviceSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix")).clear();
        writeFile(dir() + QStringLiteral("MediaPlayer.dat"), kPlayers);
        writeFile(dir() + QStringLiteral("MobilePhone.dat"), kPhones);
        writeJpeg(dir() + QStringLiteral("logos/wide.jpg"), 200, 40);
        writeJpeg(dir() + QStringLiteral("logos/small.jpg"), 100, 40);
        writeJpeg(dir() + QStringLiteral("devices/small.jpg"), 30, 50);
    }
    QString dir() const { return program.path() + QLatin1Char('/'); }
    std::unique_ptr<TMainFrm> start() { return std::make_unique<TMainFrm>(dir(), prompts); }
    static void choose(TMainFrm& form, const char* comboName, const QString& text, void (TMainFrm::*handler)())
    {
        QComboBox* combo = control<QComboBox>(form, comboName);
        combo->setCurrentIndex(combo->findText(text));
        (form.*handler)();
    }
    // The texts of the video bit rate, frame rate, audio bit rate and sampling edits, in this order.
    static QString rateTexts(const TMainFrm& form)
    {
        QStringList texts;
        for (const char* edit : kRateEdits)
            texts << control<QLineEdit>(form, edit)->text();
        return texts.join(QLatin1Char(' '));
    }
    static bool flags(const TMainFrm& f, bool value)
    {
        const TSourceFallbacks& p = f.Quality().FromSource();
        return p.VideoBitRate == value && p.AudioBitRate == value && p.FrameRate == value && p.Sampling == value
            && p.Channels == value;
    }

    QTemporaryDir program;
    FakePrompts prompts;
};

} // namespace

TEST_F(DeviceSelectionTest, ClassManufacturerModelAndQualities)
{
    auto form = start();
    form->show();
    EXPECT_EQ(form->Device().DeviceClass(), 0);
    EXPECT_TRUE(control<QLabel>(*form, "NextStepLbl")->isVisible());
    control<QPushButton>(*form, "btnMediaPlayer")->click();
    EXPECT_TRUE(control<QPushButton>(*form, "btnMediaPlayer")->isChecked());
    EXPECT_FALSE(control<QLabel>(*form, "NextStepLbl")->isVisible()); // the step is taken
    EXPECT_TRUE(control<QFrame>(*form, "ManufacturerPanel")->isVisible());
    EXPECT_FALSE(control<QFrame>(*form, "ModelSelectPanel")->isVisible());
    QStringList names;
    for (int i = 0; i < control<QComboBox>(*form, "ManufacturerCmb")->count(); ++i)
        names << control<QComboBox>(*form, "ManufacturerCmb")->itemText(i);
    EXPECT_EQ(names, (TextList{"alpha", "Bravo", "Charlie"})); // sorted without regard to case

    choose(*form, "ManufacturerCmb", QStringLiteral("Bravo"), &TMainFrm::DoSelectManufacturer);
    EXPECT_TRUE(control<QFrame>(*form, "ModelSelectPanel")->isVisible());
    ASSERT_TRUE(control<QLabel>(*form, "ManufacturerImage")->isVisible());
    // 200x40 fitted into 107x48
    EXPECT_EQ(control<QLabel>(*form, "ManufacturerImage")->pixmap().size(), QSize(107, 21));
    EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->count(), 2);

    choose(*form, "ModelCmb", QStringLiteral("Full"), &TMainFrm::DoSelectModel);
    EXPECT_TRUE(control<QFrame>(*form, "OptionsPanel")->isVisible());
    EXPECT_TRUE(control<QPushButton>(*form, "ConvertBtn")->isVisible());
    EXPECT_EQ(control<QLabel>(*form, "DeviceImage")->pixmap().size(), QSize(30, 50)); // small pictures keep their size
    EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("384"));
    EXPECT_EQ(control<QLineEdit>(*form, "SamplingEdt")->text(), QStringLiteral("44100"));
    EXPECT_TRUE(control<QRadioButton>(*form, "ChanelsStereoRdo")->isChecked());
    EXPECT_TRUE(flags(*form, false));
    EXPECT_EQ(control<QFrame>(*form, "VideoOptionsGroup")->height(), 41);

    // "Good" leaves out the frame rate, sampling and channels: suggestions, flags true.
    choose(*form, "VideoQualityCmb", QStringLiteral("Good"), &TMainFrm::DoSelectVideoQuality);
    choose(*form, "AudioQualityCmb", QStringLiteral("Good"), &TMainFrm::DoSelectAudioQuality);
    EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("256"));
    EXPECT_EQ(control<QLineEdit>(*form, "VideoFrameRateEdt")->text(), QStringLiteral("15"));
    EXPECT_EQ(control<QLineEdit>(*form, "SamplingEdt")->text(), QStringLiteral("22000"));
    EXPECT_TRUE(control<QRadioButton>(*form, "ChanelsMonoRdo")->isChecked());
    EXPECT_FALSE(form->Quality().FromSource().VideoBitRate);
    EXPECT_TRUE(form->Quality().FromSource().FrameRate);
    EXPECT_TRUE(form->Quality().FromSource().Channels);

    // Leaving an edit, or clicking a channel button, clears its flag.
    control<QLineEdit>(*form, "SamplingEdt")->setFocus();
    control<QLineEdit>(*form, "VideoBitRateEdt")->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(form->Quality().FromSource().Sampling);
    control<QRadioButton>(*form, "ChanelsStereoRdo")->click();
    EXPECT_FALSE(form->Quality().FromSource().Channels);

    // A model without qualities at "Low": every value suggested, every flag true.
    choose(*form, "ModelCmb", QStringLiteral("Bare"), &TMainFrm::DoSelectModel);
    choose(*form, "VideoQualityCmb", QStringLiteral("Low"), &TMainFrm::DoSelectVideoQuality);
    choose(*form, "AudioQualityCmb", QStringLiteral("Low"), &TMainFrm::DoSelectAudioQuality);
    EXPECT_EQ(rateTexts(*form), QStringLiteral("32 4 16 22000"));
    EXPECT_TRUE(control<QRadioButton>(*form, "ChanelsMonoRdo")->isChecked());
    EXPECT_TRUE(flags(*form, true));

    // Edit expands and collapses; custom resolution is refilled by a quality choice.
    control<QPushButton>(*form, "VideoConfigShowBtn")->click();
    EXPECT_EQ(control<QFrame>(*form, "VideoOptionsGroup")->height(), 187);
    control<QPushButton>(*form, "VideoConfigShowBtn")->click();
    EXPECT_EQ(control<QFrame>(*form, "VideoOptionsGroup")->height(), 41);
    choose(*form, "ResolutionTypeCmb", QStringLiteral("Custom"), &TMainFrm::ResolutionTypeCmbClick);
    EXPECT_TRUE(control<QLineEdit>(*form, "ResolutionXEdt")->isEnabled());
    control<QLineEdit>(*form, "ResolutionXEdt")->setText(QStringLiteral("999"));
    form->DoSelectVideoQuality();
    EXPECT_EQ(control<QLineEdit>(*form, "ResolutionXEdt")->text(), QStringLiteral("176"));
    choose(*form, "VolumeSelectCmb", QStringLiteral("Custom"), &TMainFrm::VolumeSelectCmbChange);
    EXPECT_TRUE(control<QLineEdit>(*form, "VolumeInputEdt")->isEnabled());

    // Reset answered No changes nothing; Yes puts the suggestion back.
    control<QLineEdit>(*form, "VideoBitRateEdt")->setText(QStringLiteral("777"));
    prompts.yesNoAnswers = {false, true};
    control<QPushButton>(*form, "ResetVideoOptionsBtn")->click();
    EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("777"));
    control<QPushButton>(*form, "ResetVideoOptionsBtn")->click();
    EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("32"));
    EXPECT_EQ(prompts.questions.last().text, QStringLiteral("Are you sure you want to reset quality settings?"));

    // A manufacturer without a logo value reports it and offers no models.
    choose(*form, "ManufacturerCmb", QStringLiteral("Charlie"), &TMainFrm::DoSelectManufacturer);
    EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->count(), 0);
    ASSERT_FALSE(prompts.messages.isEmpty());
    EXPECT_EQ(prompts.messages.last().icon, PromptIcon::Error);
}

TEST_F(DeviceSelectionTest, SwitchingClassesRestoresEachClassAndRestarts)
{
    {
        auto form = start();
        control<QPushButton>(*form, "btnMediaPlayer")->click();
        choose(*form, "ManufacturerCmb", QStringLiteral("Bravo"), &TMainFrm::DoSelectManufacturer);
        choose(*form, "ModelCmb", QStringLiteral("Full"), &TMainFrm::DoSelectModel);
        control<QLineEdit>(*form, "VideoBitRateEdt")->setText(QStringLiteral("500"));
        form->VideoBitRateChange();
        control<QRadioButton>(*form, "SaveFilesToFolderRdo")->click();
        control<QLineEdit>(*form, "DestPathEdt")->setText(QStringLiteral("/out"));
        control<QRadioButton>(*form, "SkipOverwriteRdo")->click();
        control<QPushButton>(*form, "btnMobilePhone")->click(); // A -> B
        EXPECT_EQ(control<QComboBox>(*form, "ManufacturerCmb")->currentIndex(), -1);
        EXPECT_TRUE(control<QRadioButton>(*form, "AskOverwriteRdo")->isChecked()); // first visit: defaults
        EXPECT_TRUE(control<QRadioButton>(*form, "PreserveFilesLocationRdo")->isChecked());
        EXPECT_TRUE(control<QLineEdit>(*form, "DestPathEdt")->text().isEmpty());
        EXPECT_TRUE(flags(*form, true));
        // Sources are never given up unasked.
        EXPECT_FALSE(control<QCheckBox>(*form, "DeleteAfterConversionChk")->isChecked());
        EXPECT_FALSE(control<QCheckBox>(*form, "SetConvertedAsOriginalChk")->isChecked());
        control<QPushButton>(*form, "btnMediaPlayer")->click(); // B -> A
        EXPECT_EQ(control<QComboBox>(*form, "ManufacturerCmb")->currentText(), QStringLiteral("Bravo"));
        EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->currentText(), QStringLiteral("Full"));
        EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("500"));
        EXPECT_TRUE(control<QRadioButton>(*form, "SkipOverwriteRdo")->isChecked());
        EXPECT_EQ(control<QLineEdit>(*form, "DestPathEdt")->text(), QStringLiteral("/out"));
        EXPECT_TRUE(control<QLineEdit>(*form, "DestPathEdt")->isEnabled());
        EXPECT_FALSE(form->Quality().FromSource().VideoBitRate);
    }
    // The class last used comes back at the next start.
    EXPECT_EQ(ReadStoredDeviceType(), 1);
    auto form = start();
    EXPECT_EQ(form->Device().DeviceClass(), 1);
    EXPECT_TRUE(control<QPushButton>(*form, "btnMediaPlayer")->isChecked());
    EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->currentText(), QStringLiteral("Full"));
}

TEST_F(DeviceSelectionTest, RestoreOrderEffects)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix"));
    settings.setValue(QStringLiteral("DeviceType"), 1);
    settings.setValue(QStringLiteral("MediaPlayer/Manufacturer"), 12); // out of range: none
    settings.setValue(QStringLiteral("MediaPlayer/AudioChanels"), QStringLiteral("Stereo"));
    settings.setValue(QStringLiteral("MediaPlayer/CheckOverwrites"), 7);
    settings.sync();
    auto form = start();
    EXPECT_EQ(form->Device().DeviceClass(), 1);
    EXPECT_EQ(control<QComboBox>(*form, "ManufacturerCmb")->currentIndex(), -1);
    EXPECT_FALSE(control<QRadioButton>(*form, "ChanelsStereoRdo")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(*form, "ChanelsMonoRdo")->isChecked());
    EXPECT_TRUE(control<QRadioButton>(*form, "AskOverwriteRdo")->isChecked()); // 7 leaves the choice shown before

    for (int stored : {0, 5, -1}) {
        settings.setValue(QStringLiteral("DeviceType"), stored);
        settings.sync();
        EXPECT_EQ(ReadStoredDeviceType(), 0) << stored;
    }
}

TEST_F(DeviceSelectionTest, MissingOrBrokenCatalogues)
{
    auto form = start();
    QFile::remove(dir() + QStringLiteral("MobilePhone.dat"));
    control<QPushButton>(*form, "btnMobilePhone")->click();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0].text,
              QStringLiteral("The device catalogue could not be loaded: ") + dir() + QStringLiteral("MobilePhone.dat"));
    EXPECT_TRUE(control<QPushButton>(*form, "btnMobilePhone")->isChecked());
    EXPECT_FALSE(control<QFrame>(*form, "ManufacturerPanel")->isVisible());

    // A catalogue that does not parse after one that loaded: the old store is gone, its names stay listed.
    control<QPushButton>(*form, "btnMediaPlayer")->click();
    choose(*form, "ManufacturerCmb", QStringLiteral("Bravo"), &TMainFrm::DoSelectManufacturer);
    choose(*form, "ModelCmb", QStringLiteral("Full"), &TMainFrm::DoSelectModel);
    writeFile(dir() + QStringLiteral("GameConsole.dat"), "<Devices><unclosed></Devices>");
    control<QPushButton>(*form, "btnGameConsole")->click();
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.messages.last().text,
              QStringLiteral("The device catalogue could not be loaded: ") + dir() + QStringLiteral("GameConsole.dat"));
    EXPECT_EQ(control<QComboBox>(*form, "ManufacturerCmb")->count(), 3);
    EXPECT_FALSE(form->Device().Store());
    // Handlers never use the released store: no models offered, the model shown before kept, no message.
    auto* manufacturer = control<QComboBox>(*form, "ManufacturerCmb");
    manufacturer->setCurrentIndex(manufacturer->findText(QStringLiteral("Bravo")));
    form->DoSelectManufacturer();
    EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->count(), 0);
    form->DoSelectModel();
    EXPECT_EQ(control<QLineEdit>(*form, "ResolutionXEdt")->text(), QStringLiteral("320"));
    EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("384"));
    EXPECT_EQ(prompts.messages.size(), 2);
}

TEST_F(DeviceSelectionTest, SuggestionsOfEveryLevelForAModelWithoutQualities)
{
    struct Level {
        const char* name;
        const char* values; // video bit rate, frame rate, audio bit rate, sampling
        bool stereo;
    };
    const Level levels[] = {
        {"Best", "256 30 64 22050", true},
        {"Good", "128 15 32 22000", false},
        {"Medium", "64 8 24 22000", false},
        {"Low", "32 4 16 22000", false},
    };
    auto form = start();
    control<QPushButton>(*form, "btnMediaPlayer")->click();
    choose(*form, "ManufacturerCmb", QStringLiteral("Bravo"), &TMainFrm::DoSelectManufacturer);
    choose(*form, "ModelCmb", QStringLiteral("Bare"), &TMainFrm::DoSelectModel);
    for (const Level& level : levels) {
        SCOPED_TRACE(level.name);
        // From a state that differs from the suggestion, so each value is seen to be set.
        for (const char* edit : kRateEdits)
            control<QLineEdit>(*form, edit)->setText(QStringLiteral("0"));
        control<QRadioButton>(*form, level.stereo ? "ChanelsMonoRdo" : "ChanelsStereoRdo")->setChecked(true);
        choose(*form, "VideoQualityCmb", QString::fromLatin1(level.name), &TMainFrm::DoSelectVideoQuality);
        choose(*form, "AudioQualityCmb", QString::fromLatin1(level.name), &TMainFrm::DoSelectAudioQuality);
        EXPECT_EQ(rateTexts(*form), QString::fromLatin1(level.values));
        EXPECT_EQ(control<QRadioButton>(*form, "ChanelsStereoRdo")->isChecked(), level.stereo);
        EXPECT_EQ(control<QRadioButton>(*form, "ChanelsMonoRdo")->isChecked(), !level.stereo);
        EXPECT_TRUE(flags(*form, true));
    }
}

TEST_F(DeviceSelectionTest, AudioResetAppliesTheAudioLevelOnly)
{
    auto form = start();
    control<QPushButton>(*form, "btnMediaPlayer")->click();
    choose(*form, "ManufacturerCmb", QStringLiteral("Bravo"), &TMainFrm::DoSelectManufacturer);
    choose(*form, "ModelCmb", QStringLiteral("Full"), &TMainFrm::DoSelectModel);
    // Different levels, so that the video level applied to the audio fields would show.
    choose(*form, "VideoQualityCmb", QStringLiteral("Good"), &TMainFrm::DoSelectVideoQuality);
    choose(*form, "AudioQualityCmb", QStringLiteral("Best"), &TMainFrm::DoSelectAudioQuality);
    control<QLineEdit>(*form, "VideoBitRateEdt")->setText(QStringLiteral("500"));
    control<QLineEdit>(*form, "AudioBitRateEdt")->setText(QStringLiteral("99"));
    control<QLineEdit>(*form, "SamplingEdt")->setText(QStringLiteral("8000"));
    control<QRadioButton>(*form, "ChanelsMonoRdo")->click();

    prompts.yesNoAnswers = {false, true};
    control<QPushButton>(*form, "ResetAudioOption")->click(); // No: nothing changes
    EXPECT_EQ(control<QLineEdit>(*form, "AudioBitRateEdt")->text(), QStringLiteral("99"));
    EXPECT_TRUE(control<QRadioButton>(*form, "ChanelsMonoRdo")->isChecked());
    control<QPushButton>(*form, "ResetAudioOption")->click();
    ASSERT_EQ(prompts.questions.size(), 2);
    EXPECT_EQ(prompts.questions.last().caption, QStringLiteral("Warning"));
    EXPECT_EQ(control<QLineEdit>(*form, "AudioBitRateEdt")->text(), QStringLiteral("128"));
    EXPECT_EQ(control<QLineEdit>(*form, "SamplingEdt")->text(), QStringLiteral("44100"));
    EXPECT_TRUE(control<QRadioButton>(*form, "ChanelsStereoRdo")->isChecked());
    EXPECT_FALSE(form->Quality().FromSource().Channels);
    EXPECT_EQ(control<QLineEdit>(*form, "VideoBitRateEdt")->text(), QStringLiteral("500"));
    EXPECT_EQ(control<QComboBox>(*form, "VideoQualityCmb")->currentText(), QStringLiteral("Good"));
    // The reset values are remembered at once.
    EXPECT_EQ(TInterfaceFieldsShot(1).GetAudioBitRate(), QStringLiteral("128"));
}

TEST_F(DeviceSelectionTest, FirstManufacturerAndFirstModelComeBack)
{
    {
        auto form = start();
        control<QPushButton>(*form, "btnMobilePhone")->click();
        choose(*form, "ManufacturerCmb", QStringLiteral("Phoneco"), &TMainFrm::DoSelectManufacturer);
        choose(*form, "ModelCmb", QStringLiteral("P1"), &TMainFrm::DoSelectModel);
        ASSERT_EQ(control<QComboBox>(*form, "ManufacturerCmb")->currentIndex(), 0);
        ASSERT_EQ(control<QComboBox>(*form, "ModelCmb")->currentIndex(), 0);
        form->close();
    }
    auto form = start();
    EXPECT_EQ(form->Device().DeviceClass(), 2);
    EXPECT_EQ(control<QComboBox>(*form, "ManufacturerCmb")->currentText(), QStringLiteral("Phoneco"));
    EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->currentText(), QStringLiteral("P1"));
    EXPECT_EQ(control<QLineEdit>(*form, "ResolutionXEdt")->text() + QLatin1Char('x')
                  + control<QLineEdit>(*form, "ResolutionYEdt")->text(),
              QStringLiteral("240x320"));
    EXPECT_FALSE(control<QFrame>(*form, "OptionsPanel")->isHidden());
}

TEST_F(DeviceSelectionTest, RefusedPicturesLeaveTheirBoxEmptyWithoutAWord)
{
    QTemporaryDir elsewhere;
    writeJpeg(elsewhere.path() + QStringLiteral("/outside.jpg"), 20, 20);
    const QString outside =
        QStringLiteral("../") + QFileInfo(elsewhere.path()).fileName() + QStringLiteral("/outside.jpg");
    writeFile(dir() + QStringLiteral("logos/huge.jpg"), progressiveJpeg(65000, 65000));
    ASSERT_TRUE(
        QFile::link(elsewhere.path() + QStringLiteral("/outside.jpg"), dir() + QStringLiteral("devices/link.jpg")));
    writeFile(dir() + QStringLiteral("PocketComputer.dat"),
              QStringLiteral(R"(<Devices>
      <Manufacturer><Name>Huge</Name><Logo>logos/huge.jpg</Logo><Models>
        <Model><Name>Shown</Name><Image>devices/small.jpg</Image><ResolutionX>320</ResolutionX></Model>
        <Model><Name>Outside</Name><Image>%1</Image><ResolutionX>480</ResolutionX></Model>
        <Model><Name>Linked</Name><Image>devices/link.jpg</Image><ResolutionX>640</ResolutionX></Model>
      </Models></Manufacturer></Devices>)")
                  .arg(outside)
                  .toUtf8());
    auto form = start();
    form->show();
    control<QPushButton>(*form, "btnPocketComputer")->click();
    choose(*form, "ManufacturerCmb", QStringLiteral("Huge"), &TMainFrm::DoSelectManufacturer);
    EXPECT_TRUE(control<QLabel>(*form, "ManufacturerImage")->isVisible());
    EXPECT_TRUE(control<QLabel>(*form, "ManufacturerImage")->pixmap().isNull());
    EXPECT_EQ(control<QComboBox>(*form, "ModelCmb")->count(), 3);
    for (const char* model : {"Outside", "Linked"}) {
        SCOPED_TRACE(model);
        choose(*form, "ModelCmb", QStringLiteral("Shown"), &TMainFrm::DoSelectModel);
        ASSERT_FALSE(control<QLabel>(*form, "DeviceImage")->pixmap().isNull());
        choose(*form, "ModelCmb", QString::fromLatin1(model), &TMainFrm::DoSelectModel);
        EXPECT_TRUE(control<QLabel>(*form, "DeviceImage")->pixmap().isNull()) << "not the picture of the model before";
        EXPECT_TRUE(control<QFrame>(*form, "OptionsPanel")->isVisible());
    }
    EXPECT_EQ(control<QLineEdit>(*form, "ResolutionXEdt")->text(), QStringLiteral("640"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(CataloguePictures, RefusedBeforeAPixelIsDecoded)
{
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/program/");
    writeJpeg(root + QStringLiteral("logos/a.jpg"), 20, 10);
    writeJpeg(dir.path() + QStringLiteral("/outside.jpg"), 20, 10);
    writeFile(root + QStringLiteral("huge.jpg"), progressiveJpeg(65000, 65000));
    writeFile(root + QStringLiteral("wide.jpg"), progressiveJpeg(4097, 16));
    writeFile(root + QStringLiteral("edge.jpg"), progressiveJpeg(4096, 16));
    writeFile(root + QStringLiteral("scans.jpg"), jpegOfManyScans(kMaxJpegScans));
    QImage tall(8, 8, QImage::Format_RGB32);
    tall.fill(Qt::darkCyan);
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    ASSERT_TRUE(tall.save(&bmp, "BMP"));
    QByteArray tallBmp = bmp.data();
    tallBmp[22] = static_cast<char>(5000 & 0xFF); // the header's height, little-endian
    tallBmp[23] = static_cast<char>(5000 >> 8);
    writeFile(root + QStringLiteral("tall.bmp"), tallBmp);
    // A picture within the size limits in a file above the byte limit.
    QImage heavy(1700, 1700, QImage::Format_RGB888);
    heavy.fill(Qt::darkCyan);
    ASSERT_TRUE(heavy.save(root + QStringLiteral("heavy.bmp"), "BMP"));
    ASSERT_GT(QFileInfo(root + QStringLiteral("heavy.bmp")).size(), kMaxPictureFileBytes);
    ASSERT_TRUE(QFile::link(dir.path() + QStringLiteral("/outside.jpg"), root + QStringLiteral("out.jpg")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("logos/a.jpg"), root + QStringLiteral("in.jpg")));

    struct Case {
        const char* path;
        TPictureStatus status;
    };
    const Case cases[] = {
        {"huge.jpg", TPictureStatus::Refused},
        {"wide.jpg", TPictureStatus::Refused},
        {"tall.bmp", TPictureStatus::Refused},
        {"heavy.bmp", TPictureStatus::Refused},
        {"scans.jpg", TPictureStatus::Refused},
        {"../outside.jpg", TPictureStatus::Refused},
        {"logos/../../outside.jpg", TPictureStatus::Refused},
        {"..\\outside.jpg", TPictureStatus::Refused},
        {"out.jpg", TPictureStatus::Refused},
        {"logos/../logos/a.jpg", TPictureStatus::Loaded},
        {"in.jpg", TPictureStatus::Loaded},
        {"logos\\a.jpg", TPictureStatus::Loaded},
        {"missing.jpg", TPictureStatus::Absent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const TCataloguePicture picture = ReadCataloguePicture(root, QString::fromLatin1(c.path));
        EXPECT_EQ(picture.Status, c.status);
        EXPECT_EQ(picture.Image.isNull(), c.status != TPictureStatus::Loaded);
    }
    // Just within the limits, a picture is read as usual.
    EXPECT_EQ(ReadCataloguePicture(root, QStringLiteral("edge.jpg")).Image.size(), QSize(4096, 16));
    writeFile(root + QStringLiteral("scans.jpg"), jpegOfManyScans(kMaxJpegScans - 20));
    EXPECT_EQ(ReadCataloguePicture(root, QStringLiteral("scans.jpg")).Status, TPictureStatus::Loaded);
}

TEST(CataloguePictures, FormatsAndFailures)
{
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    writeJpeg(root + QStringLiteral("a.jpg"), 20, 10);
    QImage(8, 8, QImage::Format_RGB32).save(root + QStringLiteral("b.bmp"), "BMP");
    writeFile(root + QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0 not really", 15));
    writeFile(root + QStringLiteral("empty.jpg"), {});
    writeFile(root + QStringLiteral("pic.wmf"), "wmf");
    EXPECT_EQ(LoadCataloguePicture(root, QStringLiteral("a.jpg")).size(), QSize(20, 10));
    EXPECT_EQ(LoadCataloguePicture(root, QStringLiteral("b.bmp")).size(), QSize(8, 8));
    for (const char* bad : {"broken.jpg", "empty.jpg", "pic.wmf", "missing.jpg", "C:\\logos\\a.jpg"})
        EXPECT_TRUE(LoadCataloguePicture(root, QString::fromLatin1(bad)).isNull()) << bad;
    EXPECT_TRUE(LoadCataloguePicture(root, root + QStringLiteral("a.jpg")).isNull()) << "absolute path";
    EXPECT_EQ(FitPicture(QImage(200, 40, QImage::Format_RGB32), QSize(107, 48)).size(), QSize(107, 21));
    EXPECT_EQ(FitPicture(QImage(100, 40, QImage::Format_RGB32), QSize(107, 48)).size(), QSize(100, 40));
}
