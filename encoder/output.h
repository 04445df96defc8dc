// Writing the output file: its muxer, streams, header, packets and trailer, and putting it in
// place under its name only when it is whole.
#pragma once

#include "ffmpeg_util.h"

#include <string>

namespace enc {

class OutputFile {
public:
    // The temporary file the output is written to until it is whole: the output's name plus this.
    static constexpr const char* kTemporarySuffix = ".part";

    // Sets up the muxer for the output at path; nothing is written yet.
    OutputFile(const AVOutputFormat* muxer, const std::string& path);
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
    // Writes the trailer, closes the file and renames it over the output's name. A failure on the
    // way leaves the temporary file for the destructor to remove.
    void finish();

    // Bytes written so far (the file's whole size once finished).
    int64_t size() const;

private:
    struct ContextDeleter {
        void operator()(AVFormatContext* ctx) const;
    };

    std::unique_ptr<AVFormatContext, ContextDeleter> m_ctx;
    std::string m_path;
    std::string m_temporaryPath;
    bool m_begun = false;
    bool m_finished = false;
    int64_t m_finalSize = 0;
};

} // namespace enc
