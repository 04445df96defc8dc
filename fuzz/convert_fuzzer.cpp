// libFuzzer entry: see kovirta::fuzz::convertMedia.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kovirta::fuzz::convertMedia(data, size);
    return 0;
}
