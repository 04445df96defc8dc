// The encoder's probe and conversion fed from memory files.
#include "fuzz_targets.h"
#include "memory_file.h"

#include "ffmpeg_util.h"
#include "input.h"
#include "probe.h"
#include "run.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace kovirta::fuzz {
namespace {

// A conversion of a source whose time stamps reach further than this is not tried: at five frames
// a second into a tiny picture it stays a fraction of a second's work, while a few bytes claiming
// hours would have the frame rate filter write that many hours of frames.
constexpr double kLongestSourceSeconds = 20.0;

// The library settings runEncoder makes, and nothing left over from the previous input.
void prepareLibraries()
{
    av_log_set_level(AV_LOG_ERROR);
    enc::captureLibraryLog();
    enc::takeLibraryError();
}

std::FILE* nullDevice()
{
    static std::FILE* const device = std::fopen("/dev/null", "w");
    if (!device)
        throw std::runtime_error("cannot open /dev/null");
    return device;
}

void requireWithoutPath(const std::string& text, const std::string& path)
{
    if (text.find(path) != std::string::npos)
        throw std::logic_error("the probe report repeats the input path: " + text);
}

double seconds(int64_t stamp, AVRational timeBase)
{
    return static_cast<double>(stamp) * av_q2d(timeBase);
}

// Whether every packet of the source lies within kLongestSourceSeconds of its start, so that
// converting it stays short. A source that cannot be opened fails at once in the conversion too.
bool staysShort(const std::string& path)
{
    try {
        enc::InputFile input(path);
        AVFormatContext* ctx = input.context();
        const double start = static_cast<double>(input.startUs()) / AV_TIME_BASE;
        enc::PacketPtr packet = enc::makePacket();
        while (av_read_frame(ctx, packet.get()) >= 0) {
            const AVRational timeBase = ctx->streams[packet->stream_index]->time_base;
            bool within = true;
            for (const int64_t stamp : {packet->pts, packet->dts}) {
                if (stamp == AV_NOPTS_VALUE)
                    continue;
                const double at = seconds(stamp, timeBase) - start;
                within = within && at > -kLongestSourceSeconds
                    && at + seconds(packet->duration, timeBase) < kLongestSourceSeconds;
            }
            av_packet_unref(packet.get());
            if (!within)
                return false;
        }
        return true;
    } catch (const enc::EncoderError&) {
        return true;
    }
}

struct OutputChoice {
    const char* format;
    const char* size;
    const char* videoCodec;
    const char* audioCodec;
    std::vector<std::string> extra;
};

// The formats and codecs the device catalogues use, each with a tiny picture.
const OutputChoice kOutputs[] = {
    {"mp4", "64x48", "mpeg4", "aac", {"-vprofile", "simple"}},
    {"psp", "64x48", "libx264", "aac", {"-vprofile", "baseline", "-level", "1.3", "-maxrate", "96k"}},
    {"avi", "64x48", "libxvid", "libmp3lame", {}},
    {"3gp", "120x90", "h263", "aac", {}},
    {"asf", "64x48", "wmv2", "wmav2", {}},
    {"flv", "64x48", "flv", "libmp3lame", {}},
};

// The command line the converter writes, in its order, with the choices the selector's bits make.
std::vector<std::string> conversionArguments(const std::string& input, const std::string& output, uint8_t selector)
{
    const OutputChoice& choice = kOutputs[selector % std::size(kOutputs)];
    const size_t flags = selector / std::size(kOutputs);
    std::vector<std::string> args = {"-i", input, "-f", choice.format, "-s", choice.size, "-vcodec", choice.videoCodec};
    if (flags & 1)
        args.insert(args.end(), {"-vol", "150"});
    if (flags & 2)
        args.push_back("-deinterlace");
    if (flags & 4)
        args.insert(args.end(), {"-padleft", "2", "-padright", "3", "-padtop", "1", "-padbottom", "2"});
    args.insert(args.end(), {"-r", "5", "-b", "64k"});
    args.insert(args.end(), choice.extra.begin(), choice.extra.end());
    args.insert(args.end(), {"-acodec", choice.audioCodec, "-ab", "32k", "-ac", "1", "-ar", "22050"});
    if (flags & 8)
        args.insert(args.end(), {"-async", "1"});
    if (flags & 16)
        args.insert(args.end(), {"-title", "fuzz", "-timestamp", "2009-06-01 12:30:00"});
    args.insert(args.end(), {"-bitexact", "-y", output});
    return args;
}

} // namespace

void probeMedia(const uint8_t* data, size_t size)
{
    prepareLibraries();
    const MemoryFile file(data, size);
    try {
        for (const std::string& line : enc::probeReport(file.path()))
            requireWithoutPath(line, file.path());
    } catch (const enc::EncoderError& e) {
        requireWithoutPath(e.what(), file.path());
    }
}

void convertMedia(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    prepareLibraries();
    const MemoryFile source(data, size - 1);
    if (!staysShort(source.path()))
        return;
    const MemoryFile output(nullptr, 0);
    const int status = enc::runEncoder(conversionArguments(source.path(), output.path(), data[size - 1]), nullDevice());
    if (status != enc::kExitOk && status != enc::kExitDamagedSource && status != enc::kExitFailed)
        throw std::logic_error("the conversion ended with status " + std::to_string(status));
    if (status != enc::kExitFailed && output.size() == 0)
        throw std::logic_error("the conversion succeeded without output");
}

} // namespace kovirta::fuzz
