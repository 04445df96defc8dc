#include "cli/device_directory.h"

#include "core/catalogue/device_options_storage.h"

#include <pugixml.hpp>

#include <algorithm>
#include <vector>

namespace {

constexpr int kClassCount = 4;
constexpr qsizetype kMostCloseMatches = 8;

// The number of one-letter edits between two names, letters compared without regard to case.
qsizetype editDistance(const QString& a, const QString& b)
{
    const QString x = a.toCaseFolded();
    const QString y = b.toCaseFolded();
    std::vector<qsizetype> row(static_cast<size_t>(y.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = static_cast<qsizetype>(j);
    for (qsizetype i = 1; i <= x.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= y.size(); ++j) {
            const qsizetype above = row[static_cast<size_t>(j)];
            const qsizetype change = diagonal + (x[i - 1] == y[j - 1] ? 0 : 1);
            row[static_cast<size_t>(j)] = std::min({above + 1, row[static_cast<size_t>(j - 1)] + 1, change});
            diagonal = above;
        }
    }
    return row.back();
}

// The last `parts` parts of a device's name: "MODEL", "MANUFACTURER/MODEL" or the whole.
QStringList tailOf(const TDevicePath& path, qsizetype parts)
{
    const QStringList all{path.ClassName, path.Manufacturer, path.Model};
    return all.mid(all.size() - parts);
}

} // namespace

TDeviceDirectory::TDeviceDirectory(const QString& programDir)
{
    for (int deviceClass = 1; deviceClass <= kClassCount; ++deviceClass) {
        const QString fileName = CatalogueFileNameOf(deviceClass);
        const QString path = programDir + fileName;
        try {
            pugi::xml_document document;
            const pugi::xml_parse_result parsed = document.load_file(path.toUtf8().constData(), kCatalogueParseOptions);
            if (!parsed || !document.document_element()) {
                LoadErrors.append(path + QStringLiteral(": cannot be read"));
                continue;
            }
            const TDeviceOptionsStorage store(document, path);
            QList<TEntry> entries;
            for (const QString& manufacturer : store.GetManufacturerNames()) {
                for (const QString& modelName : store.GetModelNames(manufacturer)) {
                    TEntry entry;
                    entry.Path = {deviceClass, DeviceClassKeyName(deviceClass), manufacturer, modelName};
                    store.GetModel(modelName, manufacturer, entry.Model);
                    entries.append(entry);
                }
            }
            m_entries.append(entries);
            m_classes.append(deviceClass);
        } catch (const std::exception& e) {
            LoadErrors.append(path + QStringLiteral(": ") + QString::fromStdString(e.what()));
        }
    }
}

QStringList TDeviceDirectory::ClassNames() const
{
    QStringList names;
    for (int deviceClass : m_classes)
        names.append(DeviceClassKeyName(deviceClass));
    return names;
}

int TDeviceDirectory::ClassOf(const QString& name) const
{
    for (int deviceClass : m_classes) {
        if (DeviceClassKeyName(deviceClass).compare(name, Qt::CaseInsensitive) == 0)
            return deviceClass;
    }
    return 0;
}

QStringList TDeviceDirectory::Manufacturers(int deviceClass) const
{
    QStringList names;
    for (const TEntry& entry : m_entries) {
        if (entry.Path.DeviceClass == deviceClass && !names.contains(entry.Path.Manufacturer))
            names.append(entry.Path.Manufacturer);
    }
    return names;
}

QStringList TDeviceDirectory::Models(int deviceClass, const QString& manufacturer) const
{
    QStringList names;
    for (const TEntry& entry : m_entries) {
        if (entry.Path.DeviceClass == deviceClass && entry.Path.Manufacturer == manufacturer)
            names.append(entry.Path.Model);
    }
    return names;
}

TDeviceModel TDeviceDirectory::Model(const TDevicePath& device) const
{
    for (const TEntry& entry : m_entries) {
        if (entry.Path.DeviceClass == device.DeviceClass && entry.Path.Manufacturer == device.Manufacturer
            && entry.Path.Model == device.Model)
            return entry.Model;
    }
    return {};
}

TDeviceLookup TDeviceDirectory::Lookup(const QString& name) const
{
    // Names hold no "/" (the catalogues have none), so the parts split plainly; a name of one or
    // two parts is the end of a whole one.
    const QStringList parts = name.split(QLatin1Char('/'));
    TDeviceLookup result;
    if (parts.size() > 3 || name.trimmed().isEmpty()) {
        result.Error = QStringLiteral("'%1' is no device name: give CLASS/MANUFACTURER/MODEL").arg(name);
        return result;
    }
    for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QList<TDevicePath> matches;
        for (const TEntry& entry : m_entries) {
            if (tailOf(entry.Path, parts.size()).join(QLatin1Char('/')).compare(name, sensitivity) == 0)
                matches.append(entry.Path);
        }
        if (matches.size() == 1) {
            result.Found = true;
            result.Device = matches.front();
            return result;
        }
        if (matches.size() > 1) {
            result.Error = QStringLiteral("ambiguous device '%1'").arg(name);
            for (const TDevicePath& match : matches)
                result.CloseMatches.append(match.Text());
            return result;
        }
    }
    // Unknown: the devices whose model name is nearest, or holds the name given or is held in it.
    const QString model = parts.back().trimmed();
    std::vector<std::pair<qsizetype, QString>> near;
    for (const TEntry& entry : m_entries) {
        const qsizetype distance = editDistance(entry.Path.Model, model);
        const bool holds = !model.isEmpty()
            && (entry.Path.Model.contains(model, Qt::CaseInsensitive)
                || model.contains(entry.Path.Model, Qt::CaseInsensitive));
        if (holds || distance <= std::max<qsizetype>(2, model.size() / 3))
            near.emplace_back(holds ? 0 : distance, entry.Path.Text());
    }
    std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [distance, text] : near) {
        if (result.CloseMatches.size() == kMostCloseMatches)
            break;
        result.CloseMatches.append(text);
    }
    result.Error = QStringLiteral("unknown device '%1'").arg(name);
    return result;
}
