#include "input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <vector>

namespace enc {
namespace {

// Bounds on the work spent on one file, so a huge or hostile file cannot keep the probe busy.
constexpr auto kOpenTimeLimit = std::chrono::seconds(20);
constexpr int64_t kProbeSizeBytes = 10 * 1000 * 1000;
constexpr int64_t kAnalyzeDurationUs = 10 * AV_TIME_BASE;
constexpr int64_t kDurationScanTailBytes = 2 * 1024 * 1024;

bool isCoverArt(const AVStream* st)
{
    return (st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
}

int chooseVideoStream(AVFormatContext* ctx)
{
    int best = av_find_best_stream(ctx, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best >= 0 && !isCoverArt(ctx->streams[best]))
        return best;
    // The libraries picked cover art (or nothing): take the first moving-picture stream, if any.
    for (unsigned i = 0; i < ctx->nb_streams; ++i) {
        const AVStream* st = ctx->streams[i];
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !isCoverArt(st) && st->codecpar->width > 0)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

InputFile::InputFile(const std::string& path) : m_deadline(std::chrono::steady_clock::now() + kOpenTimeLimit)
{
    // Only a regular file can be read to its end: a pipe, device or folder could block the open
    // for ever or never end.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        throw EncoderError(errno == EACCES ? Reason::SourceForbidden : Reason::SourceUnreadable,
                           "cannot open the input file: " + std::string(std::strerror(errno)));
    if (!S_ISREG(st.st_mode))
        throw EncoderError(Reason::SourceNotFile, "the input is not a regular file");
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        throw EncoderError("cannot allocate the input context", AVERROR(ENOMEM));
    raw->interrupt_callback.callback = &InputFile::interruptCallback;
    raw->interrupt_callback.opaque = this;

    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "protocol_whitelist", "file", 0);
    av_dict_set_int(&opts, "probesize", kProbeSizeBytes, 0);
    av_dict_set_int(&opts, "analyzeduration", kAnalyzeDurationUs, 0);
    std::unique_ptr<AVDictionary*, void (*)(AVDictionary**)> optsGuard(&opts, av_dict_free);

    // A name holding ":" is still a file name, never a protocol.
    const std::string url = "file:" + path;
    const int opened = avformat_open_input(&raw, url.c_str(), nullptr, &opts); // frees raw on failure
    check(opened, "cannot open the input file", Reason::SourceUnreadable);
    m_ctx.reset(raw);
    checkAllOptionsUsed(opts, "the input");

    // Only key frames are decoded while the stream information is gathered, and without the
    // loop filter: they give the pixel format and sizes as well, and decoding every picture in
    // full was most of a probe's cost.
    std::vector<AVDictionary*> streamOptions(m_ctx->nb_streams, nullptr);
    for (AVDictionary*& options : streamOptions) {
        av_dict_set(&options, "skip_frame", "nokey", 0);
        av_dict_set(&options, "skip_loop_filter", "all", 0);
    }
    const int found = avformat_find_stream_info(m_ctx.get(), streamOptions.data());
    for (AVDictionary*& options : streamOptions)
        av_dict_free(&options);
    check(found, "cannot read the stream information", Reason::SourceUnreadable);
    m_video = chooseVideoStream(m_ctx.get());
    m_audio = av_find_best_stream(m_ctx.get(), AVMEDIA_TYPE_AUDIO, -1, m_video, nullptr, 0);
    if (m_audio < 0)
        m_audio = -1;
}

int InputFile::interruptCallback(void* opaque)
{
    const auto* self = static_cast<const InputFile*>(opaque);
    return self->m_deadline != std::chrono::steady_clock::time_point{}
    && std::chrono::steady_clock::now() > self->m_deadline;
}

int64_t InputFile::startUs() const
{
    return m_ctx->start_time == AV_NOPTS_VALUE ? 0 : m_ctx->start_time;
}

int64_t InputFile::durationUs()
{
    if (m_durationUs >= 0)
        return m_durationUs;
    if (m_ctx->duration != AV_NOPTS_VALUE && m_ctx->duration > 0) {
        m_durationUs = m_ctx->duration;
        return m_durationUs;
    }
    int64_t longest = 0;
    for (unsigned i = 0; i < m_ctx->nb_streams; ++i) {
        const AVStream* st = m_ctx->streams[i];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            longest = std::max(longest, av_rescale_q(st->duration, st->time_base, AV_TIME_BASE_Q));
    }
    m_durationUs = longest > 0 ? longest : scanDurationUs();
    return m_durationUs;
}

// The container gives no running time: read packets near the end (or, where byte seeking is
// not possible, the whole file) and take the end of the latest one.
int64_t InputFile::scanDurationUs()
{
    AVFormatContext* ctx = m_ctx.get();
    const int64_t fileSize = ctx->pb ? avio_size(ctx->pb) : -1;
    const bool canByteSeek = !(ctx->iformat->flags & AVFMT_NO_BYTE_SEEK);
    if (fileSize > kDurationScanTailBytes && canByteSeek)
        avformat_seek_file(ctx, -1, 0, fileSize - kDurationScanTailBytes, fileSize, AVSEEK_FLAG_BYTE);
    else
        avformat_seek_file(ctx, -1, std::numeric_limits<int64_t>::min(), 0, 0, AVSEEK_FLAG_BYTE);

    const int64_t start = startUs();
    int64_t end = 0;
    PacketPtr packet = makePacket();
    while (av_read_frame(ctx, packet.get()) >= 0) {
        const AVStream* st = ctx->streams[packet->stream_index];
        int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (pts != AV_NOPTS_VALUE) {
            const int64_t last = pts + std::max<int64_t>(packet->duration, 0);
            end = std::max(end, av_rescale_q(last, st->time_base, AV_TIME_BASE_Q) - start);
        }
        av_packet_unref(packet.get());
    }
    // Leave the demuxer at the start again for a conversion that follows.
    avformat_seek_file(ctx, -1, std::numeric_limits<int64_t>::min(), 0, 0, 0);
    if (end <= 0 && ctx->bit_rate > 0 && fileSize > 0) {
        // No packet carried a time: estimate from the declared bit rate, as FFmpeg itself does.
        end = av_rescale(fileSize * 8, AV_TIME_BASE, ctx->bit_rate);
    }
    return std::max<int64_t>(end, 0);
}

int64_t InputFile::bitRate()
{
    if (m_ctx->bit_rate > 0)
        return m_ctx->bit_rate;
    const int64_t fileSize = m_ctx->pb ? avio_size(m_ctx->pb) : -1;
    const int64_t duration = durationUs();
    if (fileSize <= 0 || duration <= 0)
        return 0;
    return av_rescale(fileSize * 8, AV_TIME_BASE, duration);
}

} // namespace enc
