// libFuzzer entry: see kovirta::fuzz::probeMedia.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kovirta::fuzz::probeMedia(data, size);
    return 0;
}
