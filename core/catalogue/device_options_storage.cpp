#include "core/catalogue/device_options_storage.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The text of a leaf element: empty for no content, the value of a single text or CDATA child;
// anything else, and a text longer than kMaxCatalogueTextBytes, cannot be read.
QString valueOf(const pugi::xml_node& element)
{
    const pugi::xml_node first = element.first_child();
    if (!first)
        return {};
    const bool text = first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata;
    if (!text || first.next_sibling())
        throw ECatalogueError("the element '" + std::string(element.name()) + "' does not hold a single text");
    // Measured no further than the bound: the text itself may be megabytes long.
    const size_t length = strnlen(first.value(), kMaxCatalogueTextBytes + 1);
    if (length > kMaxCatalogueTextBytes)
        throw ECatalogueError("the element '" + std::string(element.name()) + "' holds a text longer than "
                              + std::to_string(kMaxCatalogueTextBytes) + " bytes");
    return QString::fromUtf8(first.value(), static_cast<qsizetype>(length));
}

// pugixml's output into a file that replaces the catalogue only when committed.
class SaveFileWriter : public pugi::xml_writer {
public:
    explicit SaveFileWriter(QSaveFile& file) : m_file(file) {}
    void write(const void* data, size_t size) override
    {
        // A write that fails is remembered by the file: the flush or the commit below then fails.
        m_file.write(static_cast<const char*>(data), static_cast<qint64>(size));
    }

private:
    QSaveFile& m_file;
};

// Find: the first child element of that name, absent (null) when there is none.
pugi::xml_node find(const pugi::xml_node& parent, const char* name)
{
    return parent.child(name);
}

// Find or create: the first child element of that name, appended empty when there is none.
pugi::xml_node findOrCreate(pugi::xml_node parent, const char* name)
{
    pugi::xml_node child = parent.child(name);
    if (child)
        return child;
    child = parent.append_child(name);
    if (!child)
        throw ECatalogueError("cannot add the element '" + std::string(name) + "' below '" + parent.name() + "'");
    return child;
}

// The value of an element that may be missing: empty then, and nothing is added to the document.
QString optionalValue(const pugi::xml_node& parent, const char* name)
{
    const pugi::xml_node element = find(parent, name);
    return element ? valueOf(element) : QString();
}

// The present value of a found element: a missing element or empty text cannot be converted.
QString presentValue(const pugi::xml_node& parent, const char* name)
{
    const pugi::xml_node element = find(parent, name);
    const QString value = element ? valueOf(element) : QString();
    if (value.isEmpty())
        throw ECatalogueError("a manufacturer has no " + std::string(name));
    return value;
}

bool matches(const pugi::xml_node& manufacturer, const QString& name)
{
    const pugi::xml_node element = find(manufacturer, "Name");
    if (!element)
        return false;
    const QString value = valueOf(element);
    return !value.isEmpty() && value == name;
}

qint32 channelsOf(pugi::xml_node audio)
{
    try {
        const QString text = valueOf(findOrCreate(audio, "Channels")).trimmed();
        bool ok = false;
        const int value = text.toInt(&ok, 10);
        return ok ? value : 0;
    } catch (const ECatalogueError&) {
        return 0;
    }
}

TQuality readLevel(pugi::xml_node qualities, const char* levelName)
{
    TQuality q;
    const pugi::xml_node level = findOrCreate(qualities, levelName);
    const pugi::xml_node video = findOrCreate(level, "Video");
    q.Video.BitRate = valueOf(findOrCreate(video, "BitRate"));
    q.Video.FrameRate = valueOf(findOrCreate(video, "FrameRate"));
    const pugi::xml_node audio = findOrCreate(level, "Audio");
    q.Audio.BitRate = valueOf(findOrCreate(audio, "BitRate"));
    q.Audio.Sampling = valueOf(findOrCreate(audio, "Sampling"));
    q.Audio.Channels = channelsOf(audio);
    return q;
}

} // namespace

TDeviceOptionsStorage::TDeviceOptionsStorage(pugi::xml_document& document, const QString& fileName)
    : FileName(fileName), Document(document)
{}

TDeviceOptionsStorage::~TDeviceOptionsStorage()
{
    Document.reset();
}

QStringList TDeviceOptionsStorage::GetManufacturerNames() const
{
    QStringList names;
    for (const pugi::xml_node& child : Document.document_element().children())
        names.append(presentValue(child, "Name"));
    return names;
}

void TDeviceOptionsStorage::GetManufacturer(const QString& name, TDeviceManufacturer& manufacturer) const
{
    for (const pugi::xml_node& child : Document.document_element().children()) {
        if (matches(child, name)) {
            TDeviceManufacturer found;
            found.Name = presentValue(child, "Name");
            found.Logo = presentValue(child, "Logo");
            manufacturer = found;
            return;
        }
    }
}

QStringList TDeviceOptionsStorage::GetModelNames(const QString& manufacturerName) const
{
    QStringList names;
    for (const pugi::xml_node& child : Document.document_element().children()) {
        if (!matches(child, manufacturerName))
            continue;
        for (const pugi::xml_node& model : findOrCreate(child, "Models").children())
            names.append(valueOf(findOrCreate(model, "Name")));
    }
    return names;
}

void TDeviceOptionsStorage::GetModel(const QString& modelName, const QString& manufacturerName,
                                     TDeviceModel& model) const
{
    pugi::xml_node manufacturer;
    for (const pugi::xml_node& child : Document.document_element().children()) {
        if (matches(child, manufacturerName)) {
            manufacturer = child;
            break;
        }
    }
    if (!manufacturer)
        return;
    TDeviceModel work;
    for (pugi::xml_node entry : findOrCreate(manufacturer, "Models").children()) {
        if (valueOf(findOrCreate(entry, "Name")) != modelName)
            continue;
        // The scan goes on: a later model of the same name wins.
        work.Name = valueOf(findOrCreate(entry, "Name"));
        work.Image = valueOf(findOrCreate(entry, "Image"));
        work.ResolutionX = valueOf(findOrCreate(entry, "ResolutionX"));
        work.ResolutionY = valueOf(findOrCreate(entry, "ResolutionY"));
        work.VideoCodec = valueOf(findOrCreate(entry, "VideoCodec"));
        work.AudioCodec = valueOf(findOrCreate(entry, "AudioCodec"));
        work.FileFormat = valueOf(findOrCreate(entry, "FileFormat"));
        // The decoder limits are optional additions: read where present, never added.
        work.VideoProfile = optionalValue(entry, "VideoProfile");
        work.VideoLevel = optionalValue(entry, "VideoLevel");
        work.MaxVideoBitRate = optionalValue(entry, "MaxVideoBitRate");
        const pugi::xml_node qualities = findOrCreate(entry, "Qualities");
        work.Best = readLevel(qualities, "Best");
        work.Good = readLevel(qualities, "Good");
        work.Medium = readLevel(qualities, "Medium");
        work.Low = readLevel(qualities, "Low");
    }
    model = work;
}

void TDeviceOptionsStorage::Save() const
{
    if (FileName.isEmpty())
        return;
    // The declaration read may name another encoding than the UTF-8 written; the saver writes a
    // plain one when the document has none.
    std::vector<pugi::xml_node> declarations;
    for (const pugi::xml_node& node : Document.children()) {
        if (node.type() == pugi::node_declaration)
            declarations.push_back(node);
    }
    for (const pugi::xml_node& declaration : declarations)
        Document.remove_child(declaration);
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ECatalogueError("cannot write " + FileName.toStdString());
    SaveFileWriter writer(file);
    Document.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    // Flushed here, as commit() does not notice a last write that fails on closing (a full disk);
    // a file never committed is removed and the catalogue stays as it was.
    if (!file.flush() || !file.commit())
        throw ECatalogueError("cannot write " + FileName.toStdString());
}

bool TDeviceOptionsStorage::WriteBack() const noexcept
{
    if (FileName.isEmpty() || !QFileInfo(FileName).isWritable())
        return false;
    try {
        Save();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
