#include "core/catalogue/device_records.h"

const TQuality* TDeviceModel::Level(int index) const
{
    switch (index) {
    case 0:
        return &Best;
    case 1:
        return &Good;
    case 2:
        return &Medium;
    case 3:
        return &Low;
    default:
        return nullptr;
    }
}

QString DeviceClassKeyName(int deviceClass)
{
    switch (deviceClass) {
    case 1:
        return QStringLiteral("MediaPlayer");
    case 2:
        return QStringLiteral("MobilePhone");
    case 3:
        return QStringLiteral("PocketComputer");
    case 4:
        return QStringLiteral("GameConsole");
    default:
        return {};
    }
}

QString CatalogueFileNameOf(int deviceClass)
{
    const QString key = DeviceClassKeyName(deviceClass);
    return key.isEmpty() ? QString() : key + QStringLiteral(".dat");
}
