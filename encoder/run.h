// The encoder program as a function: arguments in, exit status out, messages on err.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace enc {

int runEncoder(const std::vector<std::string>& args, std::FILE* err);

} // namespace enc
