#include "convert.h"
#include "run.h"

#include <csignal>

namespace {

void onTerminate(int)
{
    enc::requestStop();
}

} // namespace

int main(int argc, char** argv)
{
    // A stopped conversion removes its incomplete output before it ends.
    std::signal(SIGTERM, onTerminate);
    std::signal(SIGINT, onTerminate);
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file size limit, writes fail with an error the conversion reports, instead of the
    // process being killed with its temporary output left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    return enc::runEncoder(args, stderr);
}
