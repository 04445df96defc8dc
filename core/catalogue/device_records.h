// What a device catalogue says about manufacturers and models.
#pragma once

#include <QString>

struct TDeviceManufacturer {
    QString Name;
    QString Logo; // picture path relative to the program directory
};

struct TVideoQualityOption {
    QString BitRate;   // kbit/s, empty when not given
    QString FrameRate; // empty when not given
};

struct TAudioQualityOption {
    QString BitRate;     // kbit/s, empty when not given
    QString Sampling;    // Hz, empty when not given
    qint32 Channels = 0; // 1 mono, 2 stereo, 0 not given
};

struct TQuality {
    TVideoQualityOption Video;
    TAudioQualityOption Audio;
};

struct TDeviceModel {
    QString Name;
    QString Image; // picture path relative to the program directory
    QString ResolutionX;
    QString ResolutionY;
    TQuality Best;
    TQuality Good;
    TQuality Medium;
    TQuality Low;
    QString VideoCodec;
    QString AudioCodec;
    QString FileFormat;
    // What the device's video decoder takes, where the catalogue says (empty otherwise).
    QString VideoProfile;    // H.264: baseline, main or high
    QString VideoLevel;      // H.264: e.g. 3.1
    QString MaxVideoBitRate; // kbit/s at the peak

    // The level a quality combo box index selects (0 Best .. 3 Low); nullptr for any other index.
    const TQuality* Level(int index) const;
};

// The device classes: 1 MediaPlayer .. 4 GameConsole; empty names for anything else.
QString CatalogueFileNameOf(int deviceClass); // "MediaPlayer.dat"
QString DeviceClassKeyName(int deviceClass);  // "MediaPlayer"
