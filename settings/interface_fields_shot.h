// The remembered fields of one device class, in the user's settings under "Tovamix/<class>".
#pragma once

#include <QSettings>
#include <QString>

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

    qint32 GetManufacturer() const { return readInt("Manufacturer", -1); }
    void SetManufacturer(qint32 v) { writeInt("Manufacturer", v); }
    qint32 GetModel() const { return readInt("Model", -1); }
    void SetModel(qint32 v) { writeInt("Model", v); }
    qint32 GetVideoQuality() const { return readInt("VideoQuality", 0); }
    void SetVideoQuality(qint32 v) { writeInt("VideoQuality", v); }
    qint32 GetAudioQuality() const { return readInt("AudioQuality", 0); }
    void SetAudioQuality(qint32 v) { writeInt("AudioQuality", v); }
    QString GetAudioBitRate() const { return readText("AudioBitRate"); }
    void SetAudioBitRate(const QString& v) { writeText("AudioBitRate", v); }
    QString GetVideoBitRate() const { return readText("VideoBitRate"); }
    void SetVideoBitRate(const QString& v) { writeText("VideoBitRate", v); }
    QString GetFrameRate() const { return readText("FrameRate"); }
    void SetFrameRate(const QString& v) { writeText("FrameRate", v); }
    QString GetSampling() const { return readText("Sampling"); }
    void SetSampling(const QString& v) { writeText("Sampling", v); }
    qint32 GetZoom() const { return readInt("Zoom", 0); }
    void SetZoom(qint32 v) { writeInt("Zoom", v); }
    QString GetAudioChanels() const { return readText("AudioChanels"); }
    void SetAudioChanels(const QString& v) { writeText("AudioChanels", v); }
    qint32 GetResolution() const { return readInt("Resolution", 0); }
    void SetResolution(qint32 v) { writeInt("Resolution", v); }
    QString GetResolutionX() const { return readText("ResolutionX"); }
    void SetResolutionX(const QString& v) { writeText("ResolutionX", v); }
    QString GetResolutionY() const { return readText("ResolutionY"); }
    void SetResolutionY(const QString& v) { writeText("ResolutionY", v); }
    qint32 GetAudioVolume() const { return readInt("AudioVolume", 0); }
    void SetAudioVolume(qint32 v) { writeInt("AudioVolume", v); }
    QString GetAudioVolumeLevel() const { return readText("AudioVolumeLevel"); }
    void SetAudioVolumeLevel(const QString& v) { writeText("AudioVolumeLevel", v); }
    bool GetUseVideoBitRateFromDataBase() const { return readFlag("UseVideoBitRateFromDataBase", true); }
    void SetUseVideoBitRateFromDataBase(bool v) { writeFlag("UseVideoBitRateFromDataBase", v); }
    bool GetUseAudioBitRateFromDataBase() const { return readFlag("UseAudioBitRateFromDataBase", true); }
    void SetUseAudioBitRateFromDataBase(bool v) { writeFlag("UseAudioBitRateFromDataBase", v); }
    bool GetUseFrameRateFromDataBase() const { return readFlag("UseFrameRateFromDataBase", true); }
    void SetUseFrameRateFromDataBase(bool v) { writeFlag("UseFrameRateFromDataBase", v); }
    bool GetUseSamplingFromDataBase() const { return readFlag("UseSamplingFromDataBase", true); }
    void SetUseSamplingFromDataBase(bool v) { writeFlag("UseSamplingFromDataBase", v); }
    bool GetUseChannelsCountFromDataBase() const { return readFlag("UseChannelsCountFromDataBase", true); }
    void SetUseChannelsCountFromDataBase(bool v) { writeFlag("UseChannelsCountFromDataBase", v); }
    bool GetShowFileInfo() const { return readFlag("ShowFileInfo", false); }
    void SetShowFileInfo(bool v) { writeFlag("ShowFileInfo", v); }
    bool GetPreserveFileLocation() const { return readFlag("PreserveFileLocation", true); }
    void SetPreserveFileLocation(bool v) { writeFlag("PreserveFileLocation", v); }
    QString GetFilesFolder() const { return readText("FilesFolder"); }
    void SetFilesFolder(const QString& v) { writeText("FilesFolder", v); }
    qint32 GetCheckOverwrites() const { return readInt("CheckOverwrites", 0); }
    void SetCheckOverwrites(qint32 v) { writeInt("CheckOverwrites", v); }
    bool GetVideoConfigVisible() const { return readFlag("VideoConfigVisible", false); }
    void SetVideoConfigVisible(bool v) { writeFlag("VideoConfigVisible", v); }
    bool GetAudioConfigVisible() const { return readFlag("AudioConfigVisible", false); }
    void SetAudioConfigVisible(bool v) { writeFlag("AudioConfigVisible", v); }
    bool GetConvertedFileDataAsOriginal() const { return readFlag("ConvertedFileDataAsOriginal", false); }
    void SetConvertedFileDataAsOriginal(bool v) { writeFlag("ConvertedFileDataAsOriginal", v); }
    bool GetDeleteFileAfterConversion() const { return readFlag("DeleteFileAfterConversion", false); }
    void SetDeleteFileAfterConversion(bool v) { writeFlag("DeleteFileAfterConversion", v); }

    const QString KeyName;
    const quint8 DeviceType;

private:
    qint32 readInt(const char* name, qint32 fallback) const;
    bool readFlag(const char* name, bool fallback) const;
    QString readText(const char* name) const;
    void writeInt(const char* name, qint32 value);
    void writeFlag(const char* name, bool value);
    void writeText(const char* name, const QString& value);
    QString key(const char* name) const;

    std::unique_ptr<QSettings> m_settings;
};
