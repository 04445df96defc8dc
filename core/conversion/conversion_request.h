// A conversion request in the user's terms: the device's formats, the quality the user chose as
// numbers, and what happens to outputs and sources. The window's panels and kovirta-cli fill it
// alike; the batch driver and the encoder's command line read it.
#pragma once

#include "core/catalogue/device_records.h"

#include <QString>

#include <cstdint>
#include <optional>

// The stored values of these enumerations are the items' positions in the window's lists and
// button rows, which the remembered settings hold.
enum TQualityLevel : uint8_t { qlBest = 0, qlGood = 1, qlMedium = 2, qlLow = 3 };
enum TOverwriteMode : uint8_t { omAsk = 0, omReplace = 1, omSkip = 2, omNewName = 3 };
enum TOutputLocation : uint8_t { olPreserve = 0, olFolder = 1 };
enum TZoomMode : uint8_t { zmFitToScreen = 0, zmFullScreen = 1 };
enum TResolutionType : uint8_t { rtOriginal = 0, rtCustom = 1 };

struct TConversionRequest {
    // What the device plays, from its catalogue entry.
    QString VideoCodec;
    QString AudioCodec;
    QString FileFormat; // encoder format name; also the output extension
    // The device decoder's limits; empty or 0 where the catalogue names none, and the encoder
    // then keeps to the lowest level that holds the stream.
    QString VideoProfile;       // "baseline", "main", "high"
    QString VideoLevel;         // "3.1"
    double MaxVideoBitRate = 0; // kbit/s at the peak

    // The quality. An empty value is taken from each source file, limited by its level's ceiling.
    TQualityLevel VideoQuality = qlBest;
    TQualityLevel AudioQuality = qlBest;
    std::optional<int> VideoBitRate; // kbit/s
    std::optional<double> FrameRate; // frames a second
    std::optional<int> AudioBitRate; // kbit/s
    std::optional<int> Sampling;     // Hz
    std::optional<int> Channels;     // 2 stereo, 1 mono
    TResolutionType ResolutionType = rtOriginal;
    qint32 ResolutionX = 0;
    qint32 ResolutionY = 0;
    TZoomMode ZoomMode = zmFitToScreen;
    qint32 Volume = 100; // percent, handed unchanged to the encoder

    // The outputs and the sources.
    TOverwriteMode OverwriteMode = omAsk;
    TOutputLocation OutputLocation = olPreserve;
    QString DestinationFolder; // always ends in the separator
    bool DeleteAfterConversion = false;
    bool SetConvertedAsOriginal = false;

    qint32 TotalDuration = 0; // tenths of a second over all listed files
};

// A level's position in the quality list; nothing for a position outside it.
std::optional<TQualityLevel> QualityLevelAt(int index);

// A bit rate as the user writes it (a decimal point or comma) in whole kbit/s, rounded.
// Throws EConvertError when the text is not a number.
int ReadKbitPerSecond(const QString& text);

// The device's formats and limits from the catalogue entry put into the request. Throws
// EConvertError when the entry's peak bit rate is not a number.
void TakeDeviceFormats(const TDeviceModel& model, TConversionRequest& request);
