#include "convert.h"

#include "colour.h"
#include "decoders.h"
#include "exit_status.h"
#include "filters.h"
#include "formats.h"
#include "frame_size.h"
#include "input.h"
#include "levels.h"
#include "output.h"
#include "report.h"
#include "watchdog.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace enc {
namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

constexpr std::chrono::milliseconds kStallLimit{60000};
// A jump in the source's time stamps longer than this is closed rather than filled with repeated
// pictures and silence: a damaged or hostile file can claim hours it does not hold.
constexpr int64_t kLargestGapUs = 2 * AV_TIME_BASE;
// An output this much larger than its bit rates allow for the source's content decoded so far
// (plus room for headers and a first key frame) means time is being invented: the run is ended.
constexpr int64_t kRunawayFactor = 2;
constexpr int64_t kRunawayAllowanceBytes = 2 * 1000 * 1000;

bool stopRequested()
{
    return g_stopRequested != 0;
}

// "yyyy-mm-dd hh:mm:ss" in local time -> "yyyy-mm-ddThh:mm:ss.000000Z" as muxers store it.
std::string creationTimeUtc(const std::string& local)
{
    std::tm tm{};
    if (!strptime(local.c_str(), "%Y-%m-%d %H:%M:%S", &tm))
        throw EncoderError("the time stamp '" + local + "' is not of the form yyyy-mm-dd hh:mm:ss");
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[40];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
    return buffer;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool fileExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// A folder (not a link to one) is never replaced by a file.
bool isFolder(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Xvid marks its streams with a Simple Profile level of its own, judged from the frame size
// alone; the header must name the level the stream was actually kept to.
void markSimpleProfileLevel(uint8_t* data, int size, int levelCode)
{
    if (levelCode < 0)
        return;
    for (int i = 0; i + 4 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == 0xB0) {
            data[i + 4] = static_cast<uint8_t>(levelCode); // profile 0 (simple) in the high nibble
            return;
        }
    }
}

struct Stage {
    AVStream* input = nullptr;
    CodecContextPtr decoder;
    CodecContextPtr encoder;
    AVStream* output = nullptr;
    std::unique_ptr<FilterPipeline> filters;
    std::string filterSourceArgs; // the properties the current graph was built for
    int64_t startOffset = 0;      // the source's start time, in the input stream's time base
    int64_t decodeErrors = 0;
    std::string lastDecodeError; // why the latest packet or frame could not be decoded
    int64_t lastEndPts = 0;      // end of the latest decoded frame, in the input time base
    int64_t lastEndUs = 0;       // the same in microseconds
};

// A frame's start in microseconds after the source's start; AV_NOPTS_VALUE stays.
int64_t startUs(const Stage& stage, int64_t pts)
{
    return pts == AV_NOPTS_VALUE ? pts : av_rescale_q(pts, stage.input->time_base, AV_TIME_BASE_Q);
}

class Transcoder {
public:
    Transcoder(const EncoderOptions& options, std::FILE* err) : m_opt(options), m_err(err) {}

    int run();

private:
    void prepare();
    void openDecoder(Stage& stage);
    void openVideoEncoder();
    void openAudioEncoder(int sourceSampleRate, int sourceChannels);
    void prepareSilence();
    // Encodes silence up to endUs; only the last call may end on a short frame.
    void writeSilenceUntil(int64_t endUs, bool last);
    void createOutput();
    void transcode();
    void decodePacket(Stage& stage, const AVPacket* packet);
    void noteDecodeError(Stage& stage, int code);
    void filterFrame(Stage& stage, AVFrame* frame);
    void buildVideoFilters(const AVFrame* frame);
    void buildAudioFilters(AVFrame* frame);
    // Whether frames with these source properties need a new filter graph; an old graph is
    // finished first, up to the time the new frame starts at.
    bool needsNewFilters(Stage& stage, const std::string& sourceArgs, int64_t nextPts);
    void drainFilters(Stage& stage);
    void encodeFrame(Stage& stage, const AVFrame* frame);
    void finish();
    void printStatus(bool final);
    bool sourceDamaged();
    int64_t decodedEndUs() const;
    // Moves a frame that starts far beyond everything decoded so far back to where the source's
    // content reached, and every later frame of every stream with it.
    void closeTimeGap(Stage& stage, AVFrame* frame);
    // Throws when the written output's running time is not what the source decoded to.
    void checkOutputLength() const;
    // Throws when the output keeps growing far past what its bit rates allow for the source's content.
    void checkOutputInProportion() const;

    const EncoderOptions& m_opt;
    std::FILE* m_err;
    std::unique_ptr<InputFile> m_input;
    const AVOutputFormat* m_muxer = nullptr;
    const AVCodec* m_videoCodec = nullptr;
    const AVCodec* m_audioCodec = nullptr;
    Stage m_video;
    Stage m_audio;
    bool m_hasAudio = false;
    bool m_silentAudio = false; // the format needs sound the source lacks: silence is made
    FramePtr m_silence;
    int m_xvidLevelCode = -1; // the level to mark Xvid's headers with; -1 for other codecs
    int64_t m_videoEndUs = 0; // end of the video written so far
    VideoChainSettings m_videoChain;
    AudioChainSettings m_audioChain;
    std::unique_ptr<OutputFile> m_output;
    std::unique_ptr<ProgressWatchdog> m_watchdog;
    bool m_demuxError = false;
    SourceColour m_sourceColour;
    int64_t m_closedGapsUs = 0; // source time cut out at jumps in the time stamps
    FramePtr m_frame = makeFrame();
    FramePtr m_filtered = makeFrame();
    PacketPtr m_packet = makePacket();
    PacketPtr m_encoded = makePacket();
    int64_t m_videoFrames = 0;
    int64_t m_nextAudioPts = AV_NOPTS_VALUE; // the next sound sample's time, in the encoder's time base
    int64_t m_nextVideoPts = 0;              // the next picture's time, in the encoder's time base
    double m_quality = 0;
    double m_writtenSeconds = 0;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastStatus;
};

int Transcoder::run()
{
    // However the source or a library gets stuck (a file that never delivers data, a decoder in
    // a loop), a conversion that writes nothing for this long is ended.
    m_watchdog = std::make_unique<ProgressWatchdog>(kStallLimit, [this] {
        const std::string line = "\n"
            + errorLine(Reason::Stalled,
                        "the conversion made no progress for " + std::to_string(kStallLimit.count() / 1000) + " s")
            + "\n";
        if (write(fileno(m_err), line.data(), line.size()) < 0) {
            // Nobody reads any more; the run ends all the same.
        }
        // Whether or not the output was begun yet, its temporary file must not stay.
        TemporaryOutput::removeNamedNow();
        _exit(kExitFailed);
    });
    prepare();
    createOutput();
    transcode();
    finish();
    printStatus(true);
    std::fputc('\n', m_err);
    if (sourceDamaged()) {
        const std::string line = errorLine(Reason::SourceDamaged,
                                           "the source is damaged or ends early; only the part that "
                                           "could be decoded was converted");
        std::fprintf(m_err, "%s\n", line.c_str());
        return kExitDamagedSource;
    }
    return kExitOk;
}

void Transcoder::prepare()
{
    m_muxer = findMuxer(m_opt.format.empty() ? std::string("mp4") : m_opt.format);
    m_videoCodec = m_opt.videoCodec.empty() ? avcodec_find_encoder(m_muxer->video_codec)
                                            : findEncoder(m_opt.videoCodec, AVMEDIA_TYPE_VIDEO);
    if (!m_videoCodec)
        throw EncoderError(Reason::FormatNoVideo, std::string("the format '") + m_muxer->name + "' has no video codec");
    checkFormatTakesCodec(m_muxer, m_videoCodec);

    if (sameFile(m_opt.input, m_opt.output))
        throw EncoderError(Reason::OutputIsSource, "the output file is the source file");
    if (!m_opt.overwrite && fileExists(m_opt.output))
        throw EncoderError(Reason::OutputExists, "the output file exists already (-y replaces it)");
    if (isFolder(m_opt.output))
        throw EncoderError(Reason::OutputIsFolder, "the output is a folder");

    m_input = std::make_unique<InputFile>(m_opt.input);
    m_input->clearDeadline();
    if (!m_input->videoStream())
        throw EncoderError(Reason::SourceNoVideo, "the source has no video stream");
    m_video.input = m_input->videoStream();
    checkColourConvertible(m_video.input);
    openDecoder(m_video);

    if (m_input->audioStream()) {
        m_audioCodec = m_opt.audioCodec.empty() ? avcodec_find_encoder(m_muxer->audio_codec)
                                                : findEncoder(m_opt.audioCodec, AVMEDIA_TYPE_AUDIO);
        if (m_audioCodec) {
            checkFormatTakesCodec(m_muxer, m_audioCodec);
            m_audio.input = m_input->audioStream();
            openDecoder(m_audio);
            m_hasAudio = true;
        }
    }
    // Handheld consoles refuse an MP4 without a sound track: give a silent source one.
    if (!m_hasAudio && std::strcmp(m_muxer->name, "psp") == 0) {
        m_audioCodec = m_opt.audioCodec.empty() ? avcodec_find_encoder(m_muxer->audio_codec)
                                                : findEncoder(m_opt.audioCodec, AVMEDIA_TYPE_AUDIO);
        if (!m_audioCodec)
            throw EncoderError(Reason::CodecNotInFormat, "the format 'psp' has no audio codec");
        checkFormatTakesCodec(m_muxer, m_audioCodec);
        m_silentAudio = true;
    }
    openVideoEncoder();
    if (m_hasAudio) {
        const AVCodecParameters* par = m_audio.input->codecpar;
        openAudioEncoder(par->sample_rate, par->ch_layout.nb_channels);
    } else if (m_silentAudio) {
        openAudioEncoder(48000, 2);
        prepareSilence();
    }
}

void Transcoder::openDecoder(Stage& stage)
{
    const AVCodecParameters* par = stage.input->codecpar;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO)
        checkVideoDecodable(stage.input);
    const AVCodec* decoder = findSoftwareDecoder(par->codec_id);
    if (!decoder)
        throw EncoderError(Reason::DecoderMissing,
                           std::string("no decoder for the source's codec '") + avcodec_get_name(par->codec_id) + "'");
    stage.decoder.reset(avcodec_alloc_context3(decoder));
    if (!stage.decoder)
        throw EncoderError("cannot allocate a decoder", AVERROR(ENOMEM));
    check(avcodec_parameters_to_context(stage.decoder.get(), par), "cannot set up the decoder");
    stage.decoder->pkt_timebase = stage.input->time_base;
    stage.decoder->thread_count = 0; // as many threads as the machine has
    stage.decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    check(avcodec_open2(stage.decoder.get(), decoder, nullptr),
          std::string("cannot open the decoder for '") + decoder->name + "'");
    const int64_t start = m_input->startUs();
    stage.startOffset = av_rescale_q(start, AV_TIME_BASE_Q, stage.input->time_base);
}

void Transcoder::openVideoEncoder()
{
    const AVCodecParameters* par = m_video.input->codecpar;
    const int rotation = streamRotation(m_video.input);
    const bool turned = rotation == 90 || rotation == 270;
    const int sourceWidth = turned ? par->height : par->width;
    const int sourceHeight = turned ? par->width : par->height;

    VideoChainSettings& chain = m_videoChain;
    chain.deinterlace = m_opt.deinterlace;
    chain.rotation = rotation;
    const FrameLayout requested{m_opt.width > 0 ? m_opt.width : sourceWidth,
                                m_opt.height > 0 ? m_opt.height : sourceHeight,
                                m_opt.padLeft,
                                m_opt.padRight,
                                m_opt.padTop,
                                m_opt.padBottom};
    chain.pixelFormat = choosePixelFormat(m_videoCodec, static_cast<AVPixelFormat>(par->format));
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(chain.pixelFormat);
    chain.frame = encoderFrame(
        requested,
        {desc && desc->log2_chroma_w > 0, desc && desc->log2_chroma_h > 0, m_videoCodec->id == AV_CODEC_ID_H263});
    if (chain.frame.pictureWidth <= 0 || chain.frame.pictureHeight <= 0)
        throw EncoderError("the picture size " + std::to_string(chain.frame.pictureWidth) + "x"
                           + std::to_string(chain.frame.pictureHeight) + " is too small");
    chain.frameRate =
        chooseFrameRate(m_videoCodec, m_opt.frameRate, av_guess_frame_rate(m_input->context(), m_video.input, nullptr));

    m_video.encoder.reset(avcodec_alloc_context3(m_videoCodec));
    if (!m_video.encoder)
        throw EncoderError("cannot allocate the video encoder", AVERROR(ENOMEM));
    AVCodecContext* enc = m_video.encoder.get();
    enc->width = chain.frame.width();
    enc->height = chain.frame.height();

    // Keep the stream within what the device's decoder takes: profile, level and peak rate.
    VideoLimitRequest request;
    request.codec = m_videoCodec->name;
    request.width = enc->width;
    request.height = enc->height;
    request.frameRate = chain.frameRate;
    request.bitRate = m_opt.videoBitRate > 0 ? m_opt.videoBitRate : enc->bit_rate; // the codec's default
    request.profile = m_opt.videoProfile;
    request.level = m_opt.videoLevel;
    request.maxRate = m_opt.maxVideoRate;
    const VideoLimits limits = decideVideoLimits(request);
    for (const std::string& note : limits.notes)
        std::fprintf(m_err, "Note: %s\n", note.c_str());
    m_xvidLevelCode = limits.level && std::strcmp(m_videoCodec->name, "libxvid") == 0 ? limits.level->code : -1;
    chain.frameRate = limits.frameRate;

    enc->pix_fmt = chain.pixelFormat;
    m_sourceColour = streamColour(m_video.input);
    chain.colour = planColour(m_sourceColour, enc->width, enc->height, chain.pixelFormat);
    markOutputColour(enc, chain.colour);
    enc->sample_aspect_ratio = {1, 1};
    enc->framerate = chain.frameRate;
    enc->time_base = av_inv_q(chain.frameRate);
    if (limits.bitRate > 0) {
        enc->bit_rate = limits.bitRate;
        // FFmpeg's own encoders may stray from the average by 4 Mbit by default, which on a short
        // clip is most of it: hold them to one second's worth (x264 and Xvid ignore this).
        enc->bit_rate_tolerance = static_cast<int>(std::min<int64_t>(limits.bitRate, INT_MAX));
    }
    if (limits.enforcesPeakRate) {
        enc->rc_max_rate = limits.maxRate;
        enc->rc_buffer_size = static_cast<int>(limits.bufferSize);
    }
    if (limits.level)
        enc->level = limits.level->code;
    if (limits.profileCode >= 0)
        enc->profile = limits.profileCode;
    enc->thread_count = 0;
    if (m_muxer->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (m_opt.bitexact)
        enc->flags |= AV_CODEC_FLAG_BITEXACT;

    AVDictionary* options = nullptr;
    std::unique_ptr<AVDictionary*, void (*)(AVDictionary**)> guard(&options, av_dict_free);
    if (std::strcmp(m_videoCodec->name, "libx264") == 0) {
        // "veryfast" keeps batches quick; the profile is the device decoder's (main by default).
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "profile", limits.profile.c_str(), 0);
        // x264's frame threads make its rate control depend on which frames happen to be finished,
        // so two runs differ; slice threads split each frame the same way every time.
        if (m_opt.bitexact)
            enc->thread_type = FF_THREAD_SLICE;
    } else if (enc->codec_id != AV_CODEC_ID_WMV1 && enc->codec_id != AV_CODEC_ID_WMV2) {
        enc->gop_size = 12;
    }
    check(avcodec_open2(enc, m_videoCodec, &options),
          std::string("cannot open the video encoder '") + m_videoCodec->name + "'");
    checkAllOptionsUsed(options, std::string("the video encoder '") + m_videoCodec->name + "'");
    if (enc->extradata)
        markSimpleProfileLevel(enc->extradata, enc->extradata_size, m_xvidLevelCode);
}

void Transcoder::openAudioEncoder(int sourceSampleRate, int sourceChannels)
{
    AudioChainSettings& chain = m_audioChain;
    chain.asyncSamples = m_opt.asyncSamples;
    chain.volumePercent = m_opt.volumePercent;
    chain.sampleFormat = chooseSampleFormat(m_audioCodec);
    chain.sampleRate = chooseSampleRate(m_audioCodec, m_muxer, m_opt.sampleRate, sourceSampleRate);
    chain.channels = m_opt.channels > 0 ? m_opt.channels : std::clamp(sourceChannels, 1, 2);

    m_audio.encoder.reset(avcodec_alloc_context3(m_audioCodec));
    if (!m_audio.encoder)
        throw EncoderError("cannot allocate the audio encoder", AVERROR(ENOMEM));
    AVCodecContext* enc = m_audio.encoder.get();
    enc->sample_fmt = chain.sampleFormat;
    enc->sample_rate = chain.sampleRate;
    av_channel_layout_default(&enc->ch_layout, chain.channels);
    enc->time_base = {1, chain.sampleRate};
    if (m_opt.audioBitRate > 0)
        enc->bit_rate = m_opt.audioBitRate;
    enc->thread_count = 0;
    if (m_muxer->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (m_opt.bitexact)
        enc->flags |= AV_CODEC_FLAG_BITEXACT;
    AVDictionary* options = nullptr;
    std::unique_ptr<AVDictionary*, void (*)(AVDictionary**)> guard(&options, av_dict_free);
    check(avcodec_open2(enc, m_audioCodec, &options),
          std::string("cannot open the audio encoder '") + m_audioCodec->name + "'");
    checkAllOptionsUsed(options, std::string("the audio encoder '") + m_audioCodec->name + "'");
}

void Transcoder::createOutput()
{
    m_output = std::make_unique<OutputFile>(m_muxer, m_opt.output, m_opt.overwrite);
    for (Stage* stage : {&m_video, &m_audio}) {
        if (stage->encoder)
            stage->output = m_output->addStream(stage->encoder.get());
    }
    m_video.output->avg_frame_rate = m_videoChain.frameRate;
    m_video.output->sample_aspect_ratio = {1, 1};
    if (m_opt.title)
        m_output->setTag("title", *m_opt.title);
    if (m_opt.timestamp)
        m_output->setTag("creation_time", creationTimeUtc(*m_opt.timestamp));
    if (m_opt.bitexact)
        m_output->setBitexact();
    // Only now is anything written: every check that can refuse the job has passed.
    m_output->begin();
}

void Transcoder::transcode()
{
    AVFormatContext* ctx = m_input->context();
    for (;;) {
        if (stopRequested())
            throw EncoderError(Reason::Stopped, "stopped");
        const int result = av_read_frame(ctx, m_packet.get());
        if (result == AVERROR_EOF)
            break;
        if (result < 0) {
            // A damaged file: keep what was read so far.
            m_demuxError = true;
            break;
        }
        Stage* stage = m_packet->stream_index == m_video.input->index        ? &m_video
            : (m_hasAudio && m_packet->stream_index == m_audio.input->index) ? &m_audio
                                                                             : nullptr;
        if (stage)
            decodePacket(*stage, m_packet.get());
        av_packet_unref(m_packet.get());
        printStatus(false);
    }
}

void Transcoder::decodePacket(Stage& stage, const AVPacket* packet)
{
    const int sent = avcodec_send_packet(stage.decoder.get(), packet);
    if (sent < 0 && sent != AVERROR_EOF) {
        noteDecodeError(stage, sent); // a broken packet: the decoder goes on with the next one
        return;
    }
    for (;;) {
        const int received = avcodec_receive_frame(stage.decoder.get(), m_frame.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        if (received < 0) {
            noteDecodeError(stage, received);
            return;
        }
        filterFrame(stage, m_frame.get());
        av_frame_unref(m_frame.get());
    }
}

void Transcoder::noteDecodeError(Stage& stage, int code)
{
    ++stage.decodeErrors;
    const std::string detail = takeLibraryError();
    stage.lastDecodeError = errorText(code) + (detail.empty() ? std::string() : " (" + detail + ")");
}

void Transcoder::filterFrame(Stage& stage, AVFrame* frame)
{
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = frame->pts;
    if (pts != AV_NOPTS_VALUE) {
        pts -= stage.startOffset;
        frame->pts = pts;
        closeTimeGap(stage, frame);
        pts = frame->pts;
        const int64_t length = stage.input->codecpar->codec_type == AVMEDIA_TYPE_AUDIO
            ? av_rescale_q(frame->nb_samples, {1, frame->sample_rate}, stage.input->time_base)
            : frameDuration(frame);
        stage.lastEndPts = std::max(stage.lastEndPts, pts + std::max<int64_t>(length, 0));
        stage.lastEndUs = av_rescale_q(stage.lastEndPts, stage.input->time_base, AV_TIME_BASE_Q);
    }
    frame->pts = pts;
    if (stage.input->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
        buildVideoFilters(frame);
    else
        buildAudioFilters(frame);
    stage.filters->push(frame);
    drainFilters(stage);
}

void Transcoder::closeTimeGap(Stage& stage, AVFrame* frame)
{
    frame->pts -= av_rescale_q(m_closedGapsUs, AV_TIME_BASE_Q, stage.input->time_base);
    const int64_t reached = decodedEndUs();
    const int64_t gap = startUs(stage, frame->pts) - reached;
    if (gap <= kLargestGapUs)
        return;
    m_closedGapsUs += gap;
    frame->pts -= av_rescale_q(gap, AV_TIME_BASE_Q, stage.input->time_base);
    std::fprintf(m_err, "Note: the source's time jumps by %.1f s at %.1f s; the gap is left out\n",
                 static_cast<double>(gap) / AV_TIME_BASE, static_cast<double>(reached) / AV_TIME_BASE);
}

void Transcoder::buildVideoFilters(const AVFrame* frame)
{
    const AVRational sar = frame->sample_aspect_ratio.num > 0 ? frame->sample_aspect_ratio : AVRational{1, 1};
    const AVRational tb = m_video.input->time_base;
    const std::string args = "video_size=" + std::to_string(frame->width) + "x" + std::to_string(frame->height)
        + ":pix_fmt=" + std::to_string(frame->format) + ":time_base=" + std::to_string(tb.num) + "/"
        + std::to_string(tb.den) + ":pixel_aspect=" + std::to_string(sar.num) + "/" + std::to_string(sar.den);
    // A change of colour description needs a new graph too, though the buffer source is not told.
    const SourceColour colour = frameColour(frame, m_sourceColour);
    const std::string key = args + ":colour=" + std::to_string(colour.primaries) + "/" + std::to_string(colour.transfer)
        + "/" + std::to_string(colour.matrix) + "/" + std::to_string(colour.range);
    if (!needsNewFilters(m_video, key, frame->pts))
        return;
    m_videoChain.colour =
        planColour(colour, m_videoChain.frame.width(), m_videoChain.frame.height(), m_videoChain.pixelFormat);
    // A graph built for a change of picture in mid-stream carries on where the last one ended.
    m_videoChain.startSeconds = static_cast<double>(m_nextVideoPts) * av_q2d(m_video.encoder->time_base);
    m_video.filters = std::make_unique<FilterPipeline>(AVMEDIA_TYPE_VIDEO, args, videoChain(m_videoChain));
    m_video.filterSourceArgs = key;
}

void Transcoder::buildAudioFilters(AVFrame* frame)
{
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        // An unordered layout is taken as the usual one for its channel count.
        const int channels = frame->ch_layout.nb_channels;
        av_channel_layout_uninit(&frame->ch_layout);
        av_channel_layout_default(&frame->ch_layout, channels);
    }
    char layout[128] = {};
    av_channel_layout_describe(&frame->ch_layout, layout, sizeof layout);
    const AVRational tb = m_audio.input->time_base;
    const std::string args = "time_base=" + std::to_string(tb.num) + "/" + std::to_string(tb.den)
        + ":sample_rate=" + std::to_string(frame->sample_rate) + ":sample_fmt="
        + av_get_sample_fmt_name(static_cast<AVSampleFormat>(frame->format)) + ":channel_layout=" + layout;
    if (!needsNewFilters(m_audio, args, frame->pts))
        return;
    // A graph built for a change of sound format carries on where the last one ended.
    // The resampler takes this start in samples of its input's rate: given in the output's, a
    // graph for a source rate other than the output's would start early or late by the ratio of
    // the rates, and the sound would be padded with silence or cut to catch up.
    m_audioChain.firstPts = m_nextAudioPts == AV_NOPTS_VALUE
        ? 0
        : av_rescale(m_nextAudioPts, frame->sample_rate, m_audio.encoder->sample_rate);
    m_audio.filters = std::make_unique<FilterPipeline>(AVMEDIA_TYPE_AUDIO, args, audioChain(m_audioChain));
    m_audio.filterSourceArgs = args;
    // Encoders with fixed frame sizes get exactly that many samples per frame.
    const AVCodecContext* enc = m_audio.encoder.get();
    if (enc->frame_size > 0 && !(m_audioCodec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
        m_audio.filters->setOutputFrameSize(enc->frame_size);
}

bool Transcoder::needsNewFilters(Stage& stage, const std::string& sourceArgs, int64_t nextPts)
{
    if (!stage.filters)
        return true;
    if (sourceArgs == stage.filterSourceArgs)
        return false;
    // The frames changed their size or format mid-stream: finish the old graph first, so nothing
    // it holds is lost, and end it where the new frame begins, so no time goes missing between.
    if (nextPts != AV_NOPTS_VALUE)
        stage.filters->close(nextPts);
    else
        stage.filters->push(nullptr);
    drainFilters(stage);
    return true;
}

void Transcoder::drainFilters(Stage& stage)
{
    while (stage.filters->pull(m_filtered.get())) {
        if (m_filtered->pts != AV_NOPTS_VALUE)
            m_filtered->pts = av_rescale_q(m_filtered->pts, stage.filters->outputTimeBase(), stage.encoder->time_base);
        if (&stage == &m_video && m_filtered->pts != AV_NOPTS_VALUE)
            m_nextVideoPts = std::max(m_nextVideoPts, m_filtered->pts + 1);
        if (&stage == &m_audio) {
            // Sync was done by the resampler; from here on the sound is one continuous run of
            // samples, whatever overlaps the source's own time stamps had.
            if (m_nextAudioPts == AV_NOPTS_VALUE)
                m_nextAudioPts = m_filtered->pts == AV_NOPTS_VALUE ? 0 : m_filtered->pts;
            m_filtered->pts = m_nextAudioPts;
            m_nextAudioPts += m_filtered->nb_samples;
        }
        m_filtered->pict_type = AV_PICTURE_TYPE_NONE;
        encodeFrame(stage, m_filtered.get());
        av_frame_unref(m_filtered.get());
    }
}

void Transcoder::encodeFrame(Stage& stage, const AVFrame* frame)
{
    const int sent = avcodec_send_frame(stage.encoder.get(), frame);
    if (sent == AVERROR_EOF)
        return;
    check(sent, std::string("cannot encode with '") + stage.encoder->codec->name + "'");
    const bool video = &stage == &m_video;
    for (;;) {
        const int received = avcodec_receive_packet(stage.encoder.get(), m_encoded.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            break;
        check(received, std::string("cannot encode with '") + stage.encoder->codec->name + "'");
        AVPacket* pkt = m_encoded.get();
        if (video) {
            ++m_videoFrames;
            size_t size = 0;
            const uint8_t* stats = av_packet_get_side_data(pkt, AV_PKT_DATA_QUALITY_STATS, &size);
            // The quality is a signed lambda; encoders write -1 where they have none (x264's delayed frames).
            const auto lambda = stats && size >= 4 ? static_cast<int32_t>(AV_RL32(stats)) : -1;
            if (lambda >= 0)
                m_quality = static_cast<double>(lambda) / FF_QP2LAMBDA;
            if (m_xvidLevelCode >= 0 && (pkt->flags & AV_PKT_FLAG_KEY)) {
                check(av_packet_make_writable(pkt), "cannot mark the video stream's level");
                markSimpleProfileLevel(pkt->data, pkt->size, m_xvidLevelCode);
            }
        }
        pkt->stream_index = stage.output->index;
        av_packet_rescale_ts(pkt, stage.encoder->time_base, stage.output->time_base);
        const int64_t end = pkt->pts == AV_NOPTS_VALUE ? pkt->dts : pkt->pts + pkt->duration;
        if (end != AV_NOPTS_VALUE) {
            m_writtenSeconds = std::max(m_writtenSeconds, static_cast<double>(end) * av_q2d(stage.output->time_base));
            if (video)
                m_videoEndUs = std::max(m_videoEndUs, av_rescale_q(end, stage.output->time_base, AV_TIME_BASE_Q));
        }
        m_output->write(pkt);
        checkOutputInProportion();
        m_watchdog->progressed();
    }
    // Silence keeps pace with the picture, so the two stay interleaved in the file.
    if (video && m_silentAudio)
        writeSilenceUntil(m_videoEndUs, false);
}

void Transcoder::prepareSilence()
{
    const AVCodecContext* enc = m_audio.encoder.get();
    m_silence = makeFrame();
    m_silence->format = enc->sample_fmt;
    m_silence->sample_rate = enc->sample_rate;
    check(av_channel_layout_copy(&m_silence->ch_layout, &enc->ch_layout), "cannot describe the silent sound");
    m_silence->nb_samples = enc->frame_size > 0 ? enc->frame_size : 1024;
    check(av_frame_get_buffer(m_silence.get(), 0), "cannot allocate the silent sound");
    check(av_samples_set_silence(m_silence->extended_data, 0, m_silence->nb_samples, m_silence->ch_layout.nb_channels,
                                 static_cast<AVSampleFormat>(m_silence->format)),
          "cannot make the silent sound");
    m_nextAudioPts = 0;
}

void Transcoder::writeSilenceUntil(int64_t endUs, bool last)
{
    const AVCodecContext* enc = m_audio.encoder.get();
    const int64_t endSamples = av_rescale(endUs, enc->sample_rate, AV_TIME_BASE);
    const int frameSize = m_silence->nb_samples;
    while (m_nextAudioPts < endSamples) {
        const int64_t left = endSamples - m_nextAudioPts;
        if (left < frameSize && !last)
            return; // only the last frame may be short
        FramePtr frame(av_frame_clone(m_silence.get()));
        if (!frame)
            throw EncoderError("cannot make the silent sound", AVERROR(ENOMEM));
        frame->nb_samples = static_cast<int>(std::min<int64_t>(left, frameSize));
        frame->pts = m_nextAudioPts;
        m_nextAudioPts += frame->nb_samples;
        encodeFrame(m_audio, frame.get());
    }
}

void Transcoder::finish()
{
    // End of stream in order: decoders, then filters, then encoders; the trailer once.
    for (Stage* stage : {&m_video, &m_audio}) {
        if (!stage->encoder)
            continue;
        if (stage->decoder)
            decodePacket(*stage, nullptr);
        if (stage->filters) {
            // Ending at the last frame's end lets the rate filter show that frame for its duration.
            stage->filters->close(stage->lastEndPts);
            drainFilters(*stage);
        }
        if (stage == &m_audio && m_silentAudio)
            writeSilenceUntil(m_videoEndUs, true); // the picture is complete: as long as it
        encodeFrame(*stage, nullptr);
    }
    if (m_videoFrames == 0) {
        const std::string reason = !m_video.lastDecodeError.empty() ? m_video.lastDecodeError
            : m_demuxError                                          ? "the file cannot be read past its header"
                                                                    : "the video stream holds no pictures";
        throw EncoderError(Reason::SourceUndecodable, "no picture of the source could be decoded: " + reason);
    }
    checkOutputLength();
    m_output->finish();
}

bool Transcoder::sourceDamaged()
{
    if (m_demuxError || m_video.decodeErrors > 0 || m_audio.decodeErrors > 0 || m_closedGapsUs > 0)
        return true;
    // A file that decodes to clearly less than its declared running time was cut short. Containers
    // often declare a little more than their streams hold (up to a few percent, seen on ASF).
    const AVFormatContext* ctx = m_input->context();
    if (ctx->duration == AV_NOPTS_VALUE || ctx->duration <= 0)
        return false;
    const int64_t slack = std::max<int64_t>(AV_TIME_BASE / 4, ctx->duration / 20);
    return decodedEndUs() + slack < ctx->duration;
}

int64_t Transcoder::decodedEndUs() const
{
    return std::max(m_video.lastEndUs, m_audio.lastEndUs);
}

void Transcoder::checkOutputLength() const
{
    // The output must hold what the source decoded to: anything else means time was lost or
    // invented on the way.
    const double decoded = static_cast<double>(decodedEndUs()) / AV_TIME_BASE;
    const double tolerance = std::max(0.5, 0.02 * decoded);
    if (std::abs(m_writtenSeconds - decoded) > tolerance) {
        char text[160];
        std::snprintf(text, sizeof text, "the output holds %.2f s of the %.2f s the source decoded to",
                      m_writtenSeconds, decoded);
        throw EncoderError(Reason::LengthMismatch, text);
    }
}

void Transcoder::checkOutputInProportion() const
{
    const int64_t videoRate = m_video.encoder->bit_rate;
    if (videoRate <= 0)
        return; // an encoder that keeps a quality, not a rate, has no size to hold to
    const int64_t audioRate = m_audio.encoder ? std::max<int64_t>(m_audio.encoder->bit_rate, 0) : 0;
    const double seconds = std::max(1.0, static_cast<double>(decodedEndUs()) / AV_TIME_BASE);
    const double allowed =
        kRunawayFactor * static_cast<double>(videoRate + audioRate) / 8 * seconds + kRunawayAllowanceBytes;
    const int64_t size = m_output->size();
    if (static_cast<double>(size) > allowed) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "the output has grown to %.1f MB for %.1f s of the source, more than twice its bit rates allow",
                      static_cast<double>(size) / 1e6, seconds);
        throw EncoderError(Reason::OutputRunaway, text);
    }
}

void Transcoder::printStatus(bool final)
{
    const auto now = std::chrono::steady_clock::now();
    if (!final && now - m_lastStatus < std::chrono::milliseconds(500))
        return;
    m_lastStatus = now;
    const double elapsed = std::chrono::duration<double>(now - m_started).count();
    const int64_t size = m_output ? m_output->size() : 0;
    const double fps = elapsed > 0 ? static_cast<double>(m_videoFrames) / elapsed : 0;
    const double kbps = m_writtenSeconds > 0 ? static_cast<double>(size) * 8 / 1000 / m_writtenSeconds : 0;
    const std::string line = statusLine(m_videoFrames, fps, m_quality, size, m_writtenSeconds, kbps);
    // One write a line, so a reader taking small pieces sees whole lines.
    std::fflush(m_err);
    if (write(fileno(m_err), line.data(), line.size()) < 0) {
        // Nobody reads the status any more; the conversion itself goes on.
    }
}

} // namespace

void requestStop()
{
    g_stopRequested = 1;
}

int convert(const EncoderOptions& options, std::FILE* err)
{
    // Whatever ends the conversion early, the transcoder's destructor has removed the incomplete
    // output by the time the error line is written.
    std::string message;
    Reason reason = Reason::Failed;
    try {
        Transcoder transcoder(options, err);
        return transcoder.run();
    } catch (const EncoderError& e) {
        message = e.what();
        reason = e.reason();
    } catch (const std::bad_alloc&) {
        message = "out of memory";
        reason = Reason::OutOfMemory;
    } catch (const std::exception& e) {
        message = std::string("unexpected failure: ") + e.what();
    } catch (...) {
        message = "unexpected failure";
    }
    if (stopRequested())
        reason = Reason::Stopped;
    std::fprintf(err, "\n%s\n", errorLine(reason, message).c_str());
    std::fflush(err);
    return stopRequested() ? kExitStopped : kExitFailed;
}

} // namespace enc
