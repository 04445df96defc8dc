// The settings shared by every file of one conversion batch, and the enumerations they carry.
#pragma once

#include <QString>

#include <cstdint>

// Each enumeration is stored in one byte: a control's item index as its low byte, so an empty
// selection (-1) arrives as 255 and matches no value.
enum TQualityLevel : uint8_t { qlBest = 0, qlGood = 1, qlMedium = 2, qlLow = 3 };
enum TOverwriteMode : uint8_t { omAsk = 0, omReplace = 1, omSkip = 2, omNewName = 3 };
enum TOutputLocation : uint8_t { olPreserve = 0, olFolder = 1 };
enum TZoomMode : uint8_t { zmFitToScreen = 0, zmFullScreen = 1 };
enum TResolutionType : uint8_t { rtOriginal = 0, rtCustom = 1 };

struct TCommonConversionParameters {
    QString VideoCodec;
    QString AudioCodec;
    QString FileFormat;      // encoder format name; also the output extension
    uint8_t Channels = 0;    // 2 stereo, 1 mono
    double VideoBitRate = 0; // kbit/s
    uint8_t ResolutionType = rtOriginal;
    qint32 ResolutionX = 0;
    qint32 ResolutionY = 0;
    double FrameRate = 0;
    double AudioBitRate = 0; // kbit/s
    qint32 Sampling = 0;     // Hz
    qint32 Volume = 0;       // handed unchanged to the encoder
    uint8_t ZoomMode = zmFitToScreen;
    QString DestinationFolder; // always ends in the separator
    uint8_t VideoQuality = qlBest;
    uint8_t AudioQuality = qlBest;
    qint32 TotalDuration = 0; // tenths of a second over all listed files
    uint8_t OverwriteMode = omAsk;
    uint8_t OutputLocation = olPreserve;
    bool DeleteAfterConversion = false;
    bool SetConvertedAsOriginal = false;
    // True while the catalogue gives no value for the setting: the source's own value, limited
    // by the quality level's ceiling, is used instead.
    bool UseVideoBitRateFromDataBase = false;
    bool UseAudioBitRateFromDataBase = false;
    bool UseFrameRateFromDataBase = false;
    bool UseSamplingFromDataBase = false;
    bool UseChannelsCountFromDataBase = false;
    // The device decoder's limits from the catalogue; empty or 0 where it names none, and the
    // encoder then keeps to the lowest level that holds the stream.
    QString VideoProfile;       // "baseline", "main", "high"
    QString VideoLevel;         // "3.1"
    double MaxVideoBitRate = 0; // kbit/s at the peak
};
