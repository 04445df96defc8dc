// libFuzzer entry: see kovirta::fuzz::parseProbeReport.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kovirta::fuzz::parseProbeReport(data, size);
    return 0;
}
