#include "core/catalogue/device_options_storage.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

const char* const kCatalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<Devices>
  <Manufacturer>
    <Name>Acme</Name>
    <Logo>logos/acme.jpg</Logo>
    <Models>
      <Model>
        <Name>Player 100</Name>
        <Image>devices/p100.jpg</Image>
        <ResolutionX>320</ResolutionX><ResolutionY>240</ResolutionY>
        <VideoCodec>mpeg4</VideoCodec><AudioCodec>aac</AudioCodec><FileFormat>mp4</FileFormat>
        <Qualities>
          <Best><Video><BitRate>384</BitRate><FrameRate>25</FrameRate></Video>
                <Audio><BitRate>128</BitRate><Sampling>44100</Sampling><Channels>2</Channels></Audio></Best>
          <Good><Audio><Channels>two</Channels></Audio></Good>
          <Medium><Audio><Channels> 1</Channels></Audio></Medium>
        </Qualities>
      </Model>
      <Model><Name>Twin</Name><ResolutionX>100</ResolutionX></Model>
      <Model><Name>Twin</Name><ResolutionX>200</ResolutionX></Model>
      <Model/>
    </Models>
  </Manufacturer>
  <Manufacturer><Name>Zeta</Name></Manufacturer>
  <Manufacturer><Name>Acme</Name><Logo>logos/other.jpg</Logo><Models><Model><Name>Second Acme</Name></Model></Models></Manufacturer>
  <Manufacturer><Name>NoModels</Name><Logo>l.jpg</Logo></Manufacturer>
</Devices>
)";

class CatalogueTest : public ::testing::Test {
protected:
    std::unique_ptr<TDeviceOptionsStorage> load(const QByteArray& text)
    {
        path = writeFile(dir.path() + QStringLiteral("/MediaPlayer.dat"), text);
        const auto result = document.load_file(path.toUtf8().constData(), kCatalogueParseOptions);
        if (!result)
            return nullptr;
        return std::make_unique<TDeviceOptionsStorage>(document, path);
    }
    QTemporaryDir dir;
    QString path;
    pugi::xml_document document;
};

} // namespace

TEST_F(CatalogueTest, ManufacturersAndModels)
{
    auto store = load(kCatalogue);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->GetManufacturerNames(), (TextList{"Acme", "Zeta", "Acme", "NoModels"}));
    TDeviceManufacturer m;
    store->GetManufacturer(QStringLiteral("Acme"), m);
    EXPECT_EQ(m.Logo, QStringLiteral("logos/acme.jpg")); // the first of two
    TDeviceManufacturer untouched{QStringLiteral("x"), QStringLiteral("y")};
    store->GetManufacturer(QStringLiteral("acme"), untouched); // case matters
    EXPECT_EQ(untouched.Name, QStringLiteral("x"));
    EXPECT_THROW(store->GetManufacturer(QStringLiteral("Zeta"), m), ECatalogueError); // no Logo
    EXPECT_EQ(store->GetModelNames(QStringLiteral("Acme")),
              (TextList{"Player 100", "Twin", "Twin", "", "Second Acme"}));
    EXPECT_TRUE(store->GetModelNames(QStringLiteral("NoModels")).isEmpty());
}

TEST_F(CatalogueTest, ModelValuesAndChannels)
{
    auto store = load(kCatalogue);
    ASSERT_TRUE(store);
    TDeviceModel model;
    store->GetModel(QStringLiteral("Player 100"), QStringLiteral("Acme"), model);
    EXPECT_EQ(model.ResolutionX, QStringLiteral("320"));
    EXPECT_EQ(model.FileFormat, QStringLiteral("mp4"));
    EXPECT_EQ(model.Best.Video.BitRate, QStringLiteral("384"));
    EXPECT_EQ(model.Best.Audio.Sampling, QStringLiteral("44100"));
    EXPECT_EQ(model.Best.Audio.Channels, 2);
    EXPECT_EQ(model.Good.Audio.Channels, 0);   // "two" is not a number
    EXPECT_EQ(model.Medium.Audio.Channels, 1); // leading blank allowed
    EXPECT_EQ(model.Low.Video.BitRate, QString());

    store->GetModel(QStringLiteral("Twin"), QStringLiteral("Acme"), model);
    EXPECT_EQ(model.ResolutionX, QStringLiteral("200")); // the last of two wins
    store->GetModel(QStringLiteral("Second Acme"), QStringLiteral("Acme"), model);
    EXPECT_EQ(model.Name, QString()) << "only the first matching manufacturer is searched";

    TDeviceModel kept;
    kept.Name = QStringLiteral("kept");
    store->GetModel(QStringLiteral("Player 100"), QStringLiteral("Nobody"), kept);
    EXPECT_EQ(kept.Name, QStringLiteral("kept"));
}

TEST_F(CatalogueTest, FindOrCreateAdditionsReachTheFileOnSave)
{
    auto store = load(kCatalogue);
    ASSERT_TRUE(store);
    TDeviceModel model;
    store->GetModel(QStringLiteral("Twin"), QStringLiteral("Acme"), model);
    store->Save();
    store.reset(); // discards the tree
    EXPECT_FALSE(document.document_element());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains("<Qualities><Best><Video><BitRate/>"));
    auto again = load(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetManufacturerNames().size(), 4);
}

TEST_F(CatalogueTest, BrokenCataloguesFail)
{
    struct Case {
        const char* what;
        const char* xml;
    };
    const Case cases[] = {
        {"comment under the root", "<D><!-- x --><M><Name>A</Name></M></D>"},
        {"manufacturer without a name", "<D><M><Name>A</Name></M><M><Logo>x</Logo></M></D>"},
        {"empty name", "<D><M><Name></Name></M></D>"},
        {"text under the root", "<D>stray<M><Name>A</Name></M></D>"},
        {"name holding an element", "<D><M><Name>A<b/></Name></M></D>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto store = load(c.xml);
        ASSERT_TRUE(store);
        EXPECT_THROW(store->GetManufacturerNames(), ECatalogueError);
    }
    // A comment inside "Models" breaks that manufacturer's models only.
    auto store = load("<D><M><Name>A</Name><Models><!-- c --></Models></M></D>");
    ASSERT_TRUE(store);
    EXPECT_THROW(store->GetModelNames(QStringLiteral("A")), ECatalogueError);
    // External entities are never read.
    const QString secret = writeFile(dir.path() + QStringLiteral("/secret.txt"), "SECRET");
    auto entity = load("<!DOCTYPE D [<!ENTITY e SYSTEM \"" + secret.toUtf8() + "\">]><D><M><Name>&e;</Name></M></D>");
    ASSERT_TRUE(entity) << "a document type declaration is skipped, not refused";
    const QStringList names = [&] {
        try {
            return entity->GetManufacturerNames();
        } catch (const ECatalogueError&) {
            return QStringList();
        }
    }();
    EXPECT_FALSE(names.join(QString()).contains(QStringLiteral("SECRET")));
}

TEST_F(CatalogueTest, EntitiesReadAsTheirCharactersAndAreWrittenBackOnce)
{
    auto store = load("<Devices><Manufacturer><Name>Zeta &amp; Co</Name><Logo>logos/z&amp;c.jpg</Logo><Models>"
                      "<Model><Name>&lt;Mini&gt; &#233;dition</Name></Model></Models></Manufacturer></Devices>");
    ASSERT_TRUE(store);
    const QString maker = QStringLiteral("Zeta & Co");
    EXPECT_EQ(store->GetManufacturerNames(), QStringList{maker});
    TDeviceManufacturer m;
    store->GetManufacturer(maker, m);
    EXPECT_EQ(m.Logo, QStringLiteral("logos/z&c.jpg"));
    const QString model = QString::fromUtf8("<Mini> \xc3\xa9"
                                            "dition");
    EXPECT_EQ(store->GetModelNames(maker), QStringList{model});
    TDeviceModel found;
    store->GetModel(model, maker, found);
    EXPECT_EQ(found.Name, model);

    store->Save();
    store.reset();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains("<Name>Zeta &amp; Co</Name>")) << saved.toStdString();
    EXPECT_FALSE(saved.contains("&amp;amp;")) << saved.toStdString();
    auto again = load(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetManufacturerNames(), QStringList{maker});
    EXPECT_EQ(again->GetModelNames(maker), QStringList{model});
}

TEST_F(CatalogueTest, DeclarationsStandOnlyWhereTheyBelongAndAreWrittenForUtf8)
{
    // One inside an element fails the load: skipped, it would leave "A" and "B" as two texts that
    // run together into one once the catalogue is saved.
    EXPECT_FALSE(load("<D><M><Name>A<?xml version=\"1.0\"?>B</Name></M></D>"));

    // One naming another encoding does not go back into the file, which is written as UTF-8.
    auto store = load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><D><M><Name>Caf\xe9</Name></M></D>");
    ASSERT_TRUE(store);
    const QString name = QString::fromUtf8("Caf\xc3\xa9");
    EXPECT_EQ(store->GetManufacturerNames(), QStringList{name});
    store->Save();
    store.reset();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_FALSE(saved.contains("ISO-8859-1")) << saved.toStdString();
    auto again = load(saved);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetManufacturerNames(), QStringList{name});
}

TEST_F(CatalogueTest, DecoderLimitsAreReadWhereGivenAndNeverAdded)
{
    auto store = load(R"(<D><M><Name>A</Name><Logo>l.jpg</Logo><Models>
        <X><Name>Limited</Name><VideoProfile>baseline</VideoProfile><VideoLevel>3.0</VideoLevel>
           <MaxVideoBitRate>1500</MaxVideoBitRate><Unknown>ignored</Unknown></X>
        <X><Name>Open</Name></X>
        <X><Name>Partial</Name><VideoLevel>4.1</VideoLevel></X>
        </Models></M></D>)");
    ASSERT_TRUE(store);
    struct Case {
        const char* model;
        const char* profile;
        const char* level;
        const char* maxRate;
    };
    for (const Case& c :
         {Case{"Limited", "baseline", "3.0", "1500"}, Case{"Open", "", "", ""}, Case{"Partial", "", "4.1", ""}}) {
        SCOPED_TRACE(c.model);
        TDeviceModel model;
        store->GetModel(QString::fromLatin1(c.model), QStringLiteral("A"), model);
        EXPECT_EQ(model.Name, QString::fromLatin1(c.model));
        EXPECT_EQ(model.VideoProfile, QString::fromLatin1(c.profile));
        EXPECT_EQ(model.VideoLevel, QString::fromLatin1(c.level));
        EXPECT_EQ(model.MaxVideoBitRate, QString::fromLatin1(c.maxRate));
    }
    // A catalogue without them is written back without them.
    store->Save();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_EQ(saved.count("VideoProfile"), 2); // the one element's open and close tags
    EXPECT_EQ(saved.count("VideoLevel"), 4);
    EXPECT_EQ(saved.count("MaxVideoBitRate"), 2);
}

TEST_F(CatalogueTest, TextsBeyondTheBoundCannotBeRead)
{
    const QByteArray longest(static_cast<qsizetype>(kMaxCatalogueTextBytes), 'x');
    const QByteArray tooLong = longest + 'x';
    auto catalogue = [](const QByteArray& maker, const QByteArray& model, const QByteArray& width,
                        const QByteArray& channels) -> QByteArray {
        return "<D><M><Name>" + maker + "</Name><Logo>l.jpg</Logo><Models><X><Name>" + model + "</Name><ResolutionX>"
            + width + "</ResolutionX><Qualities><Best><Audio><Channels>" + channels
            + "</Channels></Audio></Best></Qualities></X></Models></M></D>";
    };
    struct Case {
        const char* what;
        QByteArray maker, model, width, channels;
        bool namesRead, modelNamesRead, modelRead;
        qint32 bestChannels;
    };
    const Case cases[] = {
        {"every text at the bound", longest, longest, longest, "2", true, true, true, 2},
        {"a manufacturer name beyond it", tooLong, "P", "320", "2", false, false, false, 0},
        {"a model name beyond it", "A", tooLong, "320", "2", true, false, false, 0},
        {"a number beyond it", "A", "P", tooLong, "2", true, true, false, 0},
        {"a channel count beyond it", "A", "P", "320", " " + tooLong, true, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto store = load(catalogue(c.maker, c.model, c.width, c.channels));
        ASSERT_TRUE(store);
        const QString maker = QString::fromUtf8(c.maker);
        const QString model = QString::fromUtf8(c.model);
        if (c.namesRead)
            EXPECT_EQ(store->GetManufacturerNames(), QStringList{maker});
        else
            EXPECT_THROW(store->GetManufacturerNames(), ECatalogueError);
        if (c.modelNamesRead)
            EXPECT_EQ(store->GetModelNames(maker), QStringList{model});
        else
            EXPECT_THROW(store->GetModelNames(maker), ECatalogueError);
        TDeviceModel found;
        found.Name = QStringLiteral("kept");
        if (c.modelRead) {
            store->GetModel(model, maker, found);
            EXPECT_EQ(found.ResolutionX, QString::fromUtf8(c.width));
            EXPECT_EQ(found.Best.Audio.Channels, c.bestChannels);
        } else {
            EXPECT_THROW(store->GetModel(model, maker, found), ECatalogueError);
            EXPECT_EQ(found.Name, QStringLiteral("kept"));
        }
    }
    // The error names the element, not the text.
    auto store = load(catalogue(QByteArray(1 << 20, 'y'), "P", "320", "2"));
    ASSERT_TRUE(store);
    try {
        store->GetManufacturerNames();
        ADD_FAILURE() << "read a name of a megabyte";
    } catch (const ECatalogueError& e) {
        EXPECT_LT(std::string(e.what()).size(), 200u);
    }
}

// Writes to files are cut at a few bytes for one scope, as when the disk fills up.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_signal = std::signal(SIGXFSZ, SIG_IGN); // a write beyond the limit then fails instead
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_signal)(int) = SIG_DFL;
};

TEST_F(CatalogueTest, AWriteBackThatFailsLeavesTheOldFileWhole)
{
    auto store = load(kCatalogue);
    ASSERT_TRUE(store);
    TDeviceModel model;
    store->GetModel(QStringLiteral("Twin"), QStringLiteral("Acme"), model); // adds elements: the file would change

    // The disk fills up after a few bytes: the old file keeps every byte and no piece is left over.
    {
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        {
            FileSizeLimit full(64);
            EXPECT_THROW(store->Save(), ECatalogueError);
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray(kCatalogue));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
        file.close();
        store->Save(); // with room on the disk, the same write goes through
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().contains("<Qualities><Best><Video><BitRate/>"));
    }
    // The file has become a folder: it stays one, with what it holds.
    {
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QDir().mkpath(path));
        writeFile(path + QStringLiteral("/inside.txt"), "kept");
        EXPECT_THROW(store->Save(), ECatalogueError);
        EXPECT_TRUE(QFileInfo(path).isDir());
        QFile inside(path + QStringLiteral("/inside.txt"));
        ASSERT_TRUE(inside.open(QIODevice::ReadOnly));
        EXPECT_EQ(inside.readAll(), QByteArray("kept"));
    }
}

// Switching the class writes the catalogue left back only where its file may be written: a
// read-only one (an installed program directory) stays as it was, and nothing is thrown.
TEST_F(CatalogueTest, WriteBackSkipsAReadOnlyFile)
{
    const auto store = load(kCatalogue);
    ASSERT_TRUE(store);
    auto contents = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_TRUE(asOrdinaryUser(dir.path(), [&] { return !store->WriteBack(); }));
    EXPECT_EQ(contents(), before);

    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_TRUE(asOrdinaryUser(dir.path(), [&] { return store->WriteBack(); }));
    EXPECT_NE(contents(), before); // written again, without the indentation read
}
