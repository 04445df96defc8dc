// What each fuzz program does with one input, shared with the tests that replay the inputs that
// once failed (fuzz/regressions/<target>/). Each function returns normally for any input the code
// under test handles, whether it accepts or refuses it; a broken rule of our own throws
// std::logic_error, and a memory error or undefined behaviour is left to the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovirta::fuzz {

// The bytes as a media file, probed as "encoder -i FILE" does.
void probeMedia(const uint8_t* data, size_t size);
// The bytes but the last as a media file, converted into a tiny, short output; the last byte
// chooses the output format, codecs and options.
void convertMedia(const uint8_t* data, size_t size);
// The bytes as a device catalogue: loaded, every manufacturer and model read, saved and read again.
void loadCatalogue(const uint8_t* data, size_t size);
// The bytes as what the encoder wrote to standard error on a probe, read into a media record.
void parseProbeReport(const uint8_t* data, size_t size);

} // namespace kovirta::fuzz
