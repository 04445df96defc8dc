// What the encoder tells the program that started it: its exit status, and on failure one line
// "Error[code]: text" whose code is a stable word a caller may act on and whose text is for people.
#pragma once

#include <string>

namespace enc {

// Exit statuses of the encoder program.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,        // conversion failed, or a probe (no output file given)
    kExitUsage = 2,         // the command line was not understood
    kExitDamagedSource = 3, // the output holds what could be decoded of a damaged source
    kExitStopped = 4,       // stopped by a signal; the output was removed
};

// Why a run failed. A new failure takes a new entry here and a word in reasonCode; callers
// that do not know a word show the line's text.
enum class Reason {
    Failed,            // no more particular reason
    Usage,             // the command line was not understood
    OutOfMemory,       // an allocation failed
    SourceUnreadable,  // the source cannot be opened or read
    SourceForbidden,   // the source may not be read
    SourceNotFile,     // the source is not a regular file
    SourceNoVideo,     // the source holds no video stream
    SourceUndecodable, // no picture of the source could be decoded
    SourceDamaged,     // only part of the source could be decoded (the output holds that part)
    DecoderMissing,    // no decoder for the source's video codec
    ColourUnsupported, // the source's colour cannot be turned into the output's (Dolby Vision profile 5)
    OutputRunaway,     // the output grew far past what its bit rates allow for the source
    Stalled,           // the conversion made no progress and was ended
    LevelExceeded,     // the picture is too large for the device's video level
    OutputIsSource,    // the output would be the source itself
    OutputExists,      // the output exists and -y was not given
    OutputIsFolder,    // a folder has the output's name
    OutputUnwritable,  // the output cannot be written
    OutputForbidden,   // the output's folder may not be written to
    DiskFull,          // no space left for the output
    LengthMismatch,    // the output's running time differs from the decoded source's
    FormatUnknown,     // the output format is unknown
    VideoCodecUnknown, // the video codec is unknown
    AudioCodecUnknown, // the audio codec is unknown
    CodecNotInFormat,  // the format cannot hold the codec
    FormatNoVideo,     // the format has no video codec
    Stopped,           // stopped by a signal
};

// The stable word of a reason, as it appears between the brackets of an error line.
inline const char* reasonCode(Reason reason)
{
    switch (reason) {
    case Reason::Failed:
        return "failed";
    case Reason::Usage:
        return "usage";
    case Reason::OutOfMemory:
        return "out-of-memory";
    case Reason::SourceUnreadable:
        return "source-unreadable";
    case Reason::SourceForbidden:
        return "source-forbidden";
    case Reason::SourceNotFile:
        return "source-not-file";
    case Reason::SourceNoVideo:
        return "source-no-video";
    case Reason::SourceUndecodable:
        return "source-undecodable";
    case Reason::SourceDamaged:
        return "source-damaged";
    case Reason::DecoderMissing:
        return "decoder-missing";
    case Reason::ColourUnsupported:
        return "colour-unsupported";
    case Reason::OutputRunaway:
        return "output-runaway";
    case Reason::Stalled:
        return "stalled";
    case Reason::LevelExceeded:
        return "level-exceeded";
    case Reason::OutputIsSource:
        return "output-is-source";
    case Reason::OutputExists:
        return "output-exists";
    case Reason::OutputIsFolder:
        return "output-is-folder";
    case Reason::OutputUnwritable:
        return "output-unwritable";
    case Reason::OutputForbidden:
        return "output-forbidden";
    case Reason::DiskFull:
        return "disk-full";
    case Reason::LengthMismatch:
        return "length-mismatch";
    case Reason::FormatUnknown:
        return "format-unknown";
    case Reason::VideoCodecUnknown:
        return "video-codec-unknown";
    case Reason::AudioCodecUnknown:
        return "audio-codec-unknown";
    case Reason::CodecNotInFormat:
        return "codec-not-in-format";
    case Reason::FormatNoVideo:
        return "format-no-video";
    case Reason::Stopped:
        return "stopped";
    }
    return "failed";
}

// The error line for a reason and its text, without the line end: "Error[disk-full]: cannot ...".
inline std::string errorLine(Reason reason, const std::string& text)
{
    return std::string("Error[") + reasonCode(reason) + "]: " + text;
}

} // namespace enc
