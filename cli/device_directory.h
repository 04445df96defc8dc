// Every device of the four catalogues of a program directory, as the command-line program names
// them: "CLASS/MANUFACTURER/MODEL", matched exactly or without regard to case, with the shorter
// forms "MANUFACTURER/MODEL" and "MODEL" where they name one device.
#pragma once

#include "core/catalogue/device_records.h"

#include <QList>
#include <QString>
#include <QStringList>

struct TDevicePath {
    int DeviceClass = 0; // 1..4
    QString ClassName;   // "MediaPlayer"
    QString Manufacturer;
    QString Model;
    QString Text() const { return ClassName + QLatin1Char('/') + Manufacturer + QLatin1Char('/') + Model; }
};

// The result of looking a device name up: the device, or why none, with the devices meant most
// likely (every match of an ambiguous name; the nearest names for an unknown one).
struct TDeviceLookup {
    bool Found = false;
    TDevicePath Device;
    QString Error; // one line: "unknown device 'X'" or "ambiguous device 'X'"
    QStringList CloseMatches;
};

class TDeviceDirectory {
public:
    // Reads the catalogues of programDir (ending in the separator). A catalogue that is missing or
    // cannot be read is left out and named in LoadErrors.
    explicit TDeviceDirectory(const QString& programDir);

    QStringList ClassNames() const; // of the catalogues read, in class order
    // The class number of a class name, matched without regard to case; 0 when there is none.
    int ClassOf(const QString& name) const;
    QStringList Manufacturers(int deviceClass) const;
    QStringList Models(int deviceClass, const QString& manufacturer) const;
    TDeviceModel Model(const TDevicePath& device) const;
    TDeviceLookup Lookup(const QString& name) const;

    QStringList LoadErrors;

private:
    struct TEntry {
        TDevicePath Path;
        TDeviceModel Model;
    };
    QList<TEntry> m_entries; // class order, then each catalogue's order
    QList<int> m_classes;    // the classes whose catalogue was read
};
