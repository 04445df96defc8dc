#include "core/media/video_formats.h"

namespace {

struct VideoFormat {
    const char* description;
    const char* extensions; // separated by ";"
};

// In the order of the folder search and of the dialog's list.
constexpr VideoFormat kFormats[] = {
    {"3gp2 format", "3g2"},
    {"3gp format", "3gp;3gpp"},
    {"avi format", "avi"},
    {"asf format", "asf"},
    {"flv format", "flv"},
    {"raw MPEG4 video format", "m4v"},
    {"mp4 format", "mp4"},
    {"MPEG2 PS format (VOB)", "vob"},
    {"MPEG1 System format (VCD)", "vcd"},
    {"wmv format", "wmv"},
    {"QuickTime", "mov"},
    {"Matroska format", "mkv"},
    {"WebM format", "webm"},
    {"MPEG2 TS format", "ts;m2ts;mts"},
    {"MPEG PS format", "mpg;mpeg"},
    {"Ogg format", "ogv;ogg"},
    {"DivX and Xvid video", "divx;xvid"},
};

QStringList extensionsOf(const VideoFormat& format)
{
    return QString::fromLatin1(format.extensions).split(QLatin1Char(';'));
}

QString patternsOf(const QStringList& extensions)
{
    QStringList patterns;
    for (const QString& extension : extensions)
        patterns.append(QStringLiteral("*.") + extension);
    return patterns.join(QLatin1Char(';'));
}

} // namespace

const QStringList& VideoExtensions()
{
    // The formats' first extensions in table order, then their further ones, so that the first
    // ten groups of a folder's files come in the order they always had.
    static const QStringList extensions = [] {
        QStringList first, further;
        for (const VideoFormat& format : kFormats) {
            const QStringList own = extensionsOf(format);
            first.append(own.constFirst());
            further.append(own.mid(1));
        }
        return first + further;
    }();
    return extensions;
}

QString OpenDialogFilter()
{
    QStringList pairs{QStringLiteral("All Supported Formats"), patternsOf(VideoExtensions())};
    for (const VideoFormat& format : kFormats)
        pairs << QString::fromLatin1(format.description) << patternsOf(extensionsOf(format));
    pairs << QStringLiteral("(*.*) All Files") << QStringLiteral("*.*");
    return pairs.join(QLatin1Char('|'));
}
