// Conversion mode: one source file into one output file, as the converter's options say.
#pragma once

#include "options.h"

#include <cstdio>

namespace enc {

// Converts and returns an exit status of exit_status.h; status lines and the final "Error[code]: ..." line
// go to err. A failed conversion removes its incomplete output; the source is only ever read.
int convert(const EncoderOptions& options, std::FILE* err);

// Asks a running conversion to stop (from a signal handler): it removes its output and fails.
void requestStop();

} // namespace enc
