#include "run.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return enc::runEncoder(args, stderr);
}
