// libFuzzer entry: see kovirta::fuzz::loadCatalogue.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kovirta::fuzz::loadCatalogue(data, size);
    return 0;
}
