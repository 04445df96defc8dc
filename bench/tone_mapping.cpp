// The cost of tone mapping: the encoder converts a 1080p HLG HEVC clip to 720p H.264 for a phone,
// and the very same clip marked as SDR BT.709 (so it is only scaled), runs interleaved; prints the
// median wall time of each and their ratio. The clip is the corpus's phone HLG clip repeated.
//
// Usage: build/bench/tone_mapping [runs]   (3 runs of each by default)
#include "ffmpeg_util.h"
#include "input.h"

extern "C" {
#include <libavcodec/bsf.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRepeats = 20; // 20 times the 0.3 s clip: 6 s, 180 pictures of 1920x1080

struct OutputDeleter {
    void operator()(AVFormatContext* ctx) const
    {
        if (ctx->pb)
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};
struct BsfDeleter {
    void operator()(AVBSFContext* bsf) const { av_bsf_free(&bsf); }
};

// The source's video repeated kRepeats times into an MP4 file, without its rotation. With asSdr
// the stream's colour description (in the container and in the HEVC headers) says BT.709 SDR.
void writeRepeatedClip(const std::string& source, const std::string& output, bool asSdr)
{
    enc::InputFile in(source);
    const AVStream* video = in.videoStream();
    AVFormatContext* raw = nullptr;
    enc::check(avformat_alloc_output_context2(&raw, nullptr, "mp4", output.c_str()), "output");
    std::unique_ptr<AVFormatContext, OutputDeleter> out(raw);
    AVStream* o = avformat_new_stream(out.get(), nullptr);
    enc::check(avcodec_parameters_copy(o->codecpar, video->codecpar), "parameters");
    o->codecpar->codec_tag = 0;
    o->time_base = video->time_base;

    AVBSFContext* bsfRaw = nullptr;
    enc::check(av_bsf_alloc(av_bsf_get_by_name(asSdr ? "hevc_metadata" : "null"), &bsfRaw), "bitstream filter");
    std::unique_ptr<AVBSFContext, BsfDeleter> bsf(bsfRaw);
    enc::check(avcodec_parameters_copy(bsf->par_in, video->codecpar), "bitstream filter parameters");
    bsf->time_base_in = video->time_base;
    if (asSdr) {
        av_opt_set_int(bsf->priv_data, "colour_primaries", AVCOL_PRI_BT709, 0);
        av_opt_set_int(bsf->priv_data, "transfer_characteristics", AVCOL_TRC_BT709, 0);
        av_opt_set_int(bsf->priv_data, "matrix_coefficients", AVCOL_SPC_BT709, 0);
        o->codecpar->color_primaries = AVCOL_PRI_BT709;
        o->codecpar->color_trc = AVCOL_TRC_BT709;
        o->codecpar->color_space = AVCOL_SPC_BT709;
    }
    enc::check(av_bsf_init(bsf.get()), "bitstream filter");
    enc::check(avcodec_parameters_copy(o->codecpar, bsf->par_out), "parameters");
    if (asSdr) {
        o->codecpar->color_primaries = AVCOL_PRI_BT709;
        o->codecpar->color_trc = AVCOL_TRC_BT709;
        o->codecpar->color_space = AVCOL_SPC_BT709;
    }
    enc::check(avio_open(&out->pb, output.c_str(), AVIO_FLAG_WRITE), "open");
    enc::check(avformat_write_header(out.get(), nullptr), "header");

    std::vector<enc::PacketPtr> packets;
    int64_t clipEnd = 0;
    for (enc::PacketPtr packet = enc::makePacket(); av_read_frame(in.context(), packet.get()) >= 0;
         packet = enc::makePacket()) {
        if (packet->stream_index != video->index)
            continue;
        clipEnd = std::max(clipEnd, packet->pts + packet->duration);
        packets.push_back(std::move(packet));
    }
    auto writeFiltered = [&]() {
        enc::PacketPtr filtered = enc::makePacket();
        while (av_bsf_receive_packet(bsf.get(), filtered.get()) >= 0) {
            filtered->stream_index = 0;
            av_packet_rescale_ts(filtered.get(), video->time_base, o->time_base);
            enc::check(av_interleaved_write_frame(out.get(), filtered.get()), "write");
        }
    };
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        for (const enc::PacketPtr& packet : packets) {
            enc::PacketPtr copy(av_packet_clone(packet.get()));
            copy->pts += repeat * clipEnd;
            copy->dts += repeat * clipEnd;
            enc::check(av_bsf_send_packet(bsf.get(), copy.get()), "bitstream filter");
            writeFiltered();
        }
    }
    enc::check(av_bsf_send_packet(bsf.get(), nullptr), "bitstream filter");
    writeFiltered();
    enc::check(av_write_trailer(out.get()), "trailer");
}

struct Times {
    double wall = 0;
    double processor = 0; // user and system time of all its threads: what the work costs on a busy machine
};

// The times of one conversion to 720p H.264 for a phone; exits when it fails.
Times convertSeconds(const std::string& encoder, const std::string& source, const std::string& output)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, STDERR_FILENO);
        execl(encoder.c_str(), encoder.c_str(), "-i", source.c_str(), "-f", "mp4", "-s", "1280x720", "-vcodec",
              "libx264", "-b", "2500k", "-r", "30", "-y", output.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the conversion of %s failed\n", source.c_str());
        std::exit(1);
    }
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

double median(std::vector<Times> runs, double Times::*which)
{
    std::vector<double> values;
    for (const Times& t : runs)
        values.push_back(t.*which);
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char folderTemplate[] = "/tmp/kovirta-tone-mapping-XXXXXX";
    if (!mkdtemp(folderTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = folderTemplate;
    const std::string hdr = folder + "/hlg-1080p.mp4";
    const std::string sdr = folder + "/sdr-1080p.mp4";
    const std::string output = folder + "/out.mp4";
    try {
        writeRepeatedClip(std::string(KOVIRTA_CORPUS_DIR) + "/sample_with_color_info.mp4", hdr, false);
        writeRepeatedClip(std::string(KOVIRTA_CORPUS_DIR) + "/sample_with_color_info.mp4", sdr, true);
    } catch (const enc::EncoderError& e) {
        std::fprintf(stderr, "cannot make the clips: %s\n", e.what());
        return 1;
    }
    std::vector<Times> toneMapped, plain;
    for (int run = 0; run < runs; ++run) {
        toneMapped.push_back(convertSeconds(KOVIRTA_ENCODER, hdr, output));
        plain.push_back(convertSeconds(KOVIRTA_ENCODER, sdr, output));
    }
    std::printf("1080p HLG HEVC -> 720p H.264, %d s clip, median of %d runs\n", kRepeats * 3 / 10, runs);
    for (const auto& [what, which] : {std::pair{"wall", &Times::wall}, std::pair{"processor", &Times::processor}}) {
        const double withToneMapping = median(toneMapped, which);
        const double without = median(plain, which);
        std::printf("%-9s time: tone-mapped %.2f s, same clip marked SDR %.2f s, ratio %.2f (target at most 1.30)\n",
                    what, withToneMapping, without, withToneMapping / without);
    }
    if (std::getenv("KOVIRTA_KEEP_CLIPS")) {
        std::printf("clips kept in %s\n", folder.c_str());
        return 0;
    }
    for (const std::string& file : {hdr, sdr, output})
        unlink(file.c_str());
    rmdir(folder.c_str());
    return 0;
}
