// A scripted stand-in for the encoder program, for tests that must force exact output text,
// timing or failures. It reads "fake_script.txt" beside its own executable; each line is one step:
//   err TEXT   write TEXT to standard error in one write (\r \n \t \\ escapes)
//   out TEXT   write TEXT to standard output in one write
//   sleep MS   pause
//   hang       sleep until killed
//   exit N     end with status N
//   args       write the received arguments, one per line, to "fake_args.txt" beside the executable
//   log        append the received arguments, blank-separated on one line, to "fake_log.txt"
//   touch      create the file named by the last argument, holding "fake"
//   empty      create the file named by the last argument, empty
//   copy       create the file named by the last argument, holding the bytes of the "-i" file
//   partial    create ".kovirta-PID-0.part" in the last argument's folder, as the encoder names its
//              temporary file where it cannot make a nameless one
//   pid        write the process id to "fake_pid.txt" beside the executable
//   env        write the environment to standard error, one NAME=VALUE a line
//   when S ... the step after S only when some argument contains the text S
// Without a script it exits with status 3.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::string executableDir()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

void writeAll(int fd, const std::string& text)
{
    if (!text.empty() && write(fd, text.data(), text.size()) < 0)
        std::perror("write");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dir = executableDir();
    std::ifstream script(dir + "/fake_script.txt");
    if (!script)
        return 3;
    std::string line;
    while (std::getline(script, line)) {
        if (line.rfind("when ", 0) == 0) {
            const auto end = line.find(' ', 5);
            const std::string needle = line.substr(5, end - 5);
            bool found = false;
            for (int i = 1; i < argc; ++i)
                found = found || std::string(argv[i]).find(needle) != std::string::npos;
            if (!found || end == std::string::npos)
                continue;
            line = line.substr(end + 1);
        }
        const auto space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (command == "err") {
            writeAll(2, unescape(rest));
        } else if (command == "out") {
            writeAll(1, unescape(rest));
        } else if (command == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(rest)));
        } else if (command == "hang") {
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        } else if (command == "exit") {
            return std::stoi(rest);
        } else if (command == "args") {
            std::ofstream args(dir + "/fake_args.txt");
            for (int i = 1; i < argc; ++i)
                args << argv[i] << '\n';
        } else if (command == "log") {
            std::ofstream log(dir + "/fake_log.txt", std::ios::app);
            for (int i = 1; i < argc; ++i)
                log << (i > 1 ? " " : "") << argv[i];
            log << '\n';
        } else if (command == "touch" && argc > 1) {
            std::ofstream(argv[argc - 1]) << "fake";
        } else if (command == "copy" && argc > 1) {
            for (int i = 1; i + 1 < argc; ++i) {
                if (std::string(argv[i]) == "-i") {
                    std::ifstream in(argv[i + 1], std::ios::binary);
                    std::ofstream(argv[argc - 1], std::ios::binary) << in.rdbuf();
                    break;
                }
            }
        } else if (command == "partial" && argc > 1) {
            const std::string output = argv[argc - 1];
            const std::string::size_type slash = output.rfind('/');
            const std::string folder = slash == std::string::npos ? "." : output.substr(0, slash);
            std::ofstream(folder + "/.kovirta-" + std::to_string(getpid()) + "-0.part") << "fake";
        } else if (command == "empty" && argc > 1) {
            std::ofstream{argv[argc - 1]};
        } else if (command == "env") {
            for (char** entry = environ; *entry; ++entry)
                writeAll(2, std::string(*entry) + '\n');
        } else if (command == "pid") {
            std::ofstream(dir + "/fake_pid.txt") << getpid() << '\n';
        }
    }
    return 0;
}
