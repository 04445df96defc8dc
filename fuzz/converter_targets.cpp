// The converter's readers of catalogue files and probe reports, fed from memory.
#include "fuzz_targets.h"
#include "memory_file.h"

#include "core/catalogue/device_options_storage.h"
#include "core/media/file_info.h"

#include <QByteArray>

#include <stdexcept>

namespace kovirta::fuzz {
namespace {

// Enough models to reach every kind of entry while keeping one input's work small: each model
// read walks the manufacturer's models again.
constexpr int kMostModelsRead = 64;

QString modelText(const TDeviceModel& m)
{
    QStringList fields = {m.Name,       m.Image,      m.ResolutionX,  m.ResolutionY, m.VideoCodec,
                          m.AudioCodec, m.FileFormat, m.VideoProfile, m.VideoLevel,  m.MaxVideoBitRate};
    for (const TQuality* q : {&m.Best, &m.Good, &m.Medium, &m.Low}) {
        fields << q->Video.BitRate << q->Video.FrameRate << q->Audio.BitRate << q->Audio.Sampling
               << QString::number(q->Audio.Channels);
    }
    return fields.join(QLatin1Char('|'));
}

// Everything the converter can ask the store, in the order it asks, as lines of text; a question
// the store refuses reads "refused".
QStringList readEverything(const TDeviceOptionsStorage& store)
{
    QStringList seen;
    const QString refused = QStringLiteral("refused");
    QStringList makers;
    try {
        makers = store.GetManufacturerNames();
    } catch (const ECatalogueError&) {
        return {refused};
    }
    int modelsRead = 0;
    for (const QString& maker : makers) {
        seen << QStringLiteral("manufacturer ") + maker;
        try {
            TDeviceManufacturer m;
            store.GetManufacturer(maker, m);
            seen << m.Name + QLatin1Char('|') + m.Logo;
        } catch (const ECatalogueError&) {
            seen << refused;
        }
        QStringList models;
        try {
            models = store.GetModelNames(maker);
        } catch (const ECatalogueError&) {
            seen << refused;
        }
        for (const QString& model : models) {
            if (++modelsRead > kMostModelsRead)
                return seen;
            try {
                TDeviceModel m;
                store.GetModel(model, maker, m);
                seen << modelText(m);
            } catch (const ECatalogueError&) {
                seen << refused;
            }
        }
    }
    return seen;
}

} // namespace

void loadCatalogue(const uint8_t* data, size_t size)
{
    // Loaded the way the main window loads a catalogue file, and written back the way it saves one.
    const MemoryFile file(data, size);
    pugi::xml_document document;
    if (!document.load_file(file.path().c_str(), kCatalogueParseOptions) || !document.document_element())
        return;
    const QString path = QString::fromStdString(file.path());
    QStringList first;
    {
        TDeviceOptionsStorage store(document, path);
        first = readEverything(store);
        store.Save();
    }
    // The saved catalogue must read exactly as the one it was saved from.
    pugi::xml_document again;
    if (!again.load_file(file.path().c_str(), kCatalogueParseOptions) || !again.document_element())
        throw std::logic_error("the saved catalogue does not load");
    TDeviceOptionsStorage store(again, path);
    const QStringList second = readEverything(store);
    if (second != first) {
        throw std::logic_error("the saved catalogue reads differently:\n" + first.join(QLatin1Char('\n')).toStdString()
                               + "\n-- after saving --\n" + second.join(QLatin1Char('\n')).toStdString());
    }
}

void parseProbeReport(const uint8_t* data, size_t size)
{
    // The report arrives as the bytes the encoder wrote, cut into lines as the probe runner cuts them.
    TFileInfoParser parser(QStringLiteral("/nonexistent/clip.avi"), QString(), nullptr);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    parser.Output = TPipeParser::SplitLines(bytes);
    TFileInfo info;
    parser.ParseOutput(info);
}

} // namespace kovirta::fuzz
