// Writing the output file: its muxer, streams, header, packets and trailer, and putting it in
// place under its name only when it is whole.
#pragma once

#include "ffmpeg_util.h"
#include "temporary_output.h"

#include <string>

namespace enc {

class OutputFile {
public:
    // Sets up the muxer for the output at path; nothing is written yet. replace: an existing
    // output is replaced when the new one is whole (-y); otherwise it is never touched.
    OutputFile(const AVOutputFormat* muxer, const std::string& path, bool replace);
    // An output that was begun but not finished is closed and its temporary file removed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // A stream described by an opened encoder, in the encoder's time base.
    AVStream* addStream(const AVCodecContext* encoder);
    void setTag(const char* key, const std::string& value);
    void setBitexact();

    // Creates the temporary file and writes the header: the first write to disk.
    void begin();
    // Writes one packet, interleaved with the other streams'.
    void write(AVPacket* packet);
    // Writes the trailer and gives the whole file the output's name. A failure on the way leaves
    // the temporary file for the destructor to remove.
    void finish();

    // Bytes written so far (the file's whole size once finished).
    int64_t size() const;

private:
    struct ContextDeleter {
        void operator()(AVFormatContext* ctx) const { avformat_free_context(ctx); }
    };
    struct IoDeleter {
        void operator()(AVIOContext* io) const;
    };

    std::string m_path;
    bool m_replace = false;
    // Declared before the context, so that the muxer is gone before its file and buffer go.
    std::unique_ptr<TemporaryOutput> m_temporary;
    std::unique_ptr<AVIOContext, IoDeleter> m_io;
    int m_fd = -1; // the temporary file's, for the muxer's file operations
    std::unique_ptr<AVFormatContext, ContextDeleter> m_ctx;
    bool m_finished = false;
    int64_t m_finalSize = 0;
};

} // namespace enc
