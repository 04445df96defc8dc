// The remembered fields of one device class, in the user's settings under "Tovamix/<class>".
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

// The settings store of the program: organisation "Tovamix", native format, user scope.
std::unique_ptr<QSettings> OpenProgramSettings();

// The device class last saved or restored, 1 to 4; 0 when none is stored or the value is out of range.
int ReadStoredDeviceType();

class TInterfaceFieldsShot {
public:
    explicit TInterfaceFieldsShot(int deviceType);
    // Writes "DeviceType" = this class to the program key.
    ~TInterfaceFieldsShot();
    TInterfaceFieldsShot(const TInterfaceFieldsShot&) = delete;
    TInterfaceFieldsShot& operator=(const TInterfaceFieldsShot&) = delete;

    // Whether the last write reached the store (a read-only or broken settings file does not).
    bool WriteFailed() const;
    // The settings file the fields are stored in, to name it when it cannot be written.
    QString FileName() const { return m_settings->fileName(); }

    // Each remembered field: its type, its name (the settings key and the accessors' suffix) and
    // the value read when the store holds none (or holds something unreadable).
#define KOVIRTA_INTERFACE_FIELDS(FIELD)                                                                                \
    FIELD(qint32, Manufacturer, -1)                                                                                    \
    FIELD(qint32, Model, -1)                                                                                           \
    FIELD(qint32, VideoQuality, 0)                                                                                     \
    FIELD(qint32, AudioQuality, 0)                                                                                     \
    FIELD(QString, AudioBitRate, QString())                                                                            \
    FIELD(QString, VideoBitRate, QString())                                                                            \
    FIELD(QString, FrameRate, QString())                                                                               \
    FIELD(QString, Sampling, QString())                                                                                \
    FIELD(qint32, Zoom, 0)                                                                                             \
    FIELD(QString, AudioChanels, QString())                                                                            \
    FIELD(qint32, Resolution, 0)                                                                                       \
    FIELD(QString, ResolutionX, QString())                                                                             \
    FIELD(QString, ResolutionY, QString())                                                                             \
    FIELD(qint32, AudioVolume, 0)                                                                                      \
    FIELD(QString, AudioVolumeLevel, QString())                                                                        \
    FIELD(bool, UseVideoBitRateFromDataBase, true)                                                                     \
    FIELD(bool, UseAudioBitRateFromDataBase, true)                                                                     \
    FIELD(bool, UseFrameRateFromDataBase, true)                                                                        \
    FIELD(bool, UseSamplingFromDataBase, true)                                                                         \
    FIELD(bool, UseChannelsCountFromDataBase, true)                                                                    \
    FIELD(bool, ShowFileInfo, false)                                                                                   \
    FIELD(bool, PreserveFileLocation, true)                                                                            \
    FIELD(QString, FilesFolder, QString())                                                                             \
    FIELD(qint32, CheckOverwrites, 0)                                                                                  \
    FIELD(bool, VideoConfigVisible, false)                                                                             \
    FIELD(bool, AudioConfigVisible, false)                                                                             \
    FIELD(bool, ConvertedFileDataAsOriginal, false)                                                                    \
    FIELD(bool, DeleteFileAfterConversion, false)

#define KOVIRTA_FIELD_ACCESSORS(Type, Name, Fallback)                                                                  \
    Type Get##Name() const                                                                                             \
    {                                                                                                                  \
        return read(#Name, Type(Fallback));                                                                            \
    }                                                                                                                  \
    void Set##Name(const Type& value)                                                                                  \
    {                                                                                                                  \
        write(#Name, value);                                                                                           \
    }
    KOVIRTA_INTERFACE_FIELDS(KOVIRTA_FIELD_ACCESSORS)
#undef KOVIRTA_FIELD_ACCESSORS

    // The names of every remembered field, in the table's order.
    static QStringList FieldNames();

    const QString KeyName;
    const quint8 DeviceType;

private:
    qint32 read(const char* name, qint32 fallback) const;
    bool read(const char* name, bool fallback) const;
    QString read(const char* name, const QString& fallback) const;
    void write(const char* name, qint32 value);
    void write(const char* name, bool value);
    void write(const char* name, const QString& value);
    QString key(const char* name) const;

    std::unique_ptr<QSettings> m_settings;
};
