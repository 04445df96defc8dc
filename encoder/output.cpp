#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace enc {

namespace {

constexpr int kIoBufferBytes = 64 * 1024;

// The muxer's file operations on the temporary file's descriptor.
int readFromFile(void* opaque, uint8_t* buffer, int size)
{
    const int fd = *static_cast<const int*>(opaque);
    ssize_t got = 0;
    do {
        got = read(fd, buffer, static_cast<size_t>(size));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        return AVERROR(errno);
    return got == 0 ? AVERROR_EOF : static_cast<int>(got);
}

int writeToFile(void* opaque, uint8_t* buffer, int size)
{
    const int fd = *static_cast<const int*>(opaque);
    int left = size;
    while (left > 0) {
        const ssize_t written = write(fd, buffer + (size - left), static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return AVERROR(errno);
        left -= static_cast<int>(written);
    }
    return size;
}

int64_t seekInFile(void* opaque, int64_t offset, int whence)
{
    const int fd = *static_cast<const int*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) {
        struct stat st {};
        return fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : AVERROR(errno);
    }
    const off_t at = lseek(fd, static_cast<off_t>(offset), whence);
    return at < 0 ? AVERROR(errno) : static_cast<int64_t>(at);
}

} // namespace

void OutputFile::IoDeleter::operator()(AVIOContext* io) const
{
    av_freep(&io->buffer);
    avio_context_free(&io);
}

OutputFile::OutputFile(const AVOutputFormat* muxer, const std::string& path, bool replace)
    : m_path(path), m_replace(replace)
{
    AVFormatContext* raw = nullptr;
    check(avformat_alloc_output_context2(&raw, muxer, nullptr, path.c_str()), "cannot set up the output format");
    m_ctx.reset(raw);
}

OutputFile::~OutputFile()
{
    // The muxer goes first; the temporary file, not put in place, is removed with its owner.
    m_ctx.reset();
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
    // The file is opened by us, not by a protocol: no name is ever looked up twice, and a link or
    // file planted under any name is never opened.
    m_temporary = std::make_unique<TemporaryOutput>(m_path);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
    if (!buffer)
        throw EncoderError(Reason::OutputUnwritable, "cannot create the output file", AVERROR(ENOMEM));
    AVIOContext* io = avio_alloc_context(buffer, kIoBufferBytes, 1, &m_fd, readFromFile, writeToFile, seekInFile);
    if (!io) {
        av_free(buffer);
        throw EncoderError(Reason::OutputUnwritable, "cannot create the output file", AVERROR(ENOMEM));
    }
    m_io.reset(io);
    m_fd = m_temporary->fd();
    m_ctx->pb = m_io.get();
    m_ctx->flags |= AVFMT_FLAG_CUSTOM_IO;

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
    avio_flush(m_io.get());
    check(m_io->error, "cannot write to the output file", Reason::OutputUnwritable);
    m_finalSize = avio_size(m_io.get()); // the trailer may have sought back into the header
    if (m_finalSize <= 0)
        throw EncoderError(Reason::OutputUnwritable, "the output file is missing or empty after writing");
    // Only a whole file ever carries the output's name; an output that existed before stays as it
    // was until this moment.
    m_temporary->putInPlace(m_replace);
    m_finished = true;
}

int64_t OutputFile::size() const
{
    return m_finished || !m_io ? m_finalSize : avio_tell(m_io.get());
}

} // namespace enc
