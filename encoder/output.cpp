#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace enc {

void OutputFile::ContextDeleter::operator()(AVFormatContext* ctx) const
{
    if (ctx->pb && !(ctx->oformat->flags & AVFMT_NOFILE))
        avio_closep(&ctx->pb);
    avformat_free_context(ctx);
}

OutputFile::OutputFile(const AVOutputFormat* muxer, const std::string& path)
    : m_path(path), m_temporaryPath(path + kTemporarySuffix)
{
    AVFormatContext* raw = nullptr;
    check(avformat_alloc_output_context2(&raw, muxer, nullptr, path.c_str()), "cannot set up the output format");
    m_ctx.reset(raw);
}

OutputFile::~OutputFile()
{
    if (m_begun && !m_finished) {
        m_ctx.reset();
        std::remove(m_temporaryPath.c_str());
    }
}

AVStream* OutputFile::addStream(const AVCodecContext* encoder)
{
    AVStream* stream = avformat_new_stream(m_ctx.get(), nullptr);
    if (!stream)
        throw EncoderError("cannot add an output stream", AVERROR(ENOMEM));
    check(avcodec_parameters_from_context(stream->codecpar, encoder), "cannot describe an output stream");
    stream->time_base = encoder->time_base;
    return stream;
}

void OutputFile::setTag(const char* key, const std::string& value)
{
    av_dict_set(&m_ctx->metadata, key, value.c_str(), 0);
}

void OutputFile::setBitexact()
{
    m_ctx->flags |= AVFMT_FLAG_BITEXACT;
}

void OutputFile::begin()
{
    const std::string url = "file:" + m_temporaryPath; // a name holding ":" is still a file name
    AVDictionary* ioOptions = nullptr;
    std::unique_ptr<AVDictionary*, void (*)(AVDictionary**)> ioGuard(&ioOptions, av_dict_free);
    av_dict_set(&ioOptions, "protocol_whitelist", "file", 0);
    check(avio_open2(&m_ctx->pb, url.c_str(), AVIO_FLAG_WRITE, nullptr, &ioOptions), "cannot create the output file",
          Reason::OutputUnwritable);
    m_begun = true;
    checkAllOptionsUsed(ioOptions, "the output file");

    AVDictionary* muxerOptions = nullptr;
    std::unique_ptr<AVDictionary*, void (*)(AVDictionary**)> muxerGuard(&muxerOptions, av_dict_free);
    check(avformat_write_header(m_ctx.get(), &muxerOptions), "cannot write the output header",
          Reason::OutputUnwritable);
    checkAllOptionsUsed(muxerOptions, std::string("the muxer '") + m_ctx->oformat->name + "'");
}

void OutputFile::write(AVPacket* packet)
{
    check(av_interleaved_write_frame(m_ctx.get(), packet), "cannot write to the output file", Reason::OutputUnwritable);
}

void OutputFile::finish()
{
    check(av_write_trailer(m_ctx.get()), "cannot finish the output file", Reason::OutputUnwritable);
    m_finalSize = avio_size(m_ctx->pb); // the trailer may have sought back into the header
    check(avio_closep(&m_ctx->pb), "cannot close the output file", Reason::OutputUnwritable);
    // Only a whole file ever carries the output's name; an output that existed before stays as it
    // was until this moment.
    if (std::rename(m_temporaryPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        throw EncoderError(Reason::OutputUnwritable,
                           "cannot put the output file in place: " + std::string(std::strerror(error)), AVERROR(error));
    }
    m_finished = true;
    struct stat st {};
    if (stat(m_path.c_str(), &st) != 0 || st.st_size == 0) {
        std::remove(m_path.c_str());
        throw EncoderError(Reason::OutputUnwritable, "the output file is missing or empty after writing");
    }
}

int64_t OutputFile::size() const
{
    return m_ctx->pb ? avio_tell(m_ctx->pb) : m_finalSize;
}

} // namespace enc
