// The encoder program as a function: arguments in, exit status out, messages on err.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace enc {

// Exit statuses of the encoder program.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,        // conversion failed, or a probe (no output file given)
    kExitUsage = 2,         // the command line was not understood
    kExitDamagedSource = 3, // the output holds what could be decoded of a damaged source
    kExitStopped = 4,       // stopped by a signal; the output was removed
};

int runEncoder(const std::vector<std::string>& args, std::FILE* err);

} // namespace enc
