// What a probe tells about one media file, and the parser that cuts it out of the report.
#pragma once

#include "core/media/pipe_parser.h"

#include <QList>
#include <QString>

class TUserPrompts;

struct TFileInfo {
    QString FileName;  // the name without its folder
    QString FilePath;  // the path exactly as it was probed
    double SizeMb = 0; // bytes / 1048576
    QString Duration;  // hh:mm:ss.ff as the encoder prints it
    QString VideoCodec;
    QString AudioCodec;
    quint8 Channels = 0; // 0 not recognised, 1 mono, 2 stereo
    double BitRate = 0;  // overall, kbit/s
    QString Resolution;  // "640x480"
    double FrameRate = 0;
    double AudioBitRate = 0; // kbit/s
    qint32 SamplingRate = 0; // Hz

    bool operator==(const TFileInfo&) const = default;
};

using TFileInfoArray = QList<TFileInfo>;

// A file the list refuses: missing or empty, unreadable, without video, or with a broken report.
bool IsUnsupported(const TFileInfo& info);

class TFileInfoParser : public TPipeParser {
public:
    // prompts shows the parse-error message; it may be null where nobody is there to see it.
    TFileInfoParser(const QString& mediaFile, const QString& programDir, TUserPrompts* prompts);

    // Probes MediaFile with the encoder and fills info from the report.
    void Probe(TFileInfo& info);
    // Fills info from Output and the file itself; on a parse error info is not written at all.
    void ParseOutput(TFileInfo& info);

    QString MediaFile;
    // The message of the last parse error, empty when the report was read.
    QString ParseError;

private:
    TUserPrompts* m_prompts;
};
