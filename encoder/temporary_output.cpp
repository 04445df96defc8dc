#include "temporary_output.h"

#include "ffmpeg_util.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace enc {
namespace {

constexpr int kNameAttempts = 1000;

// The hidden name now in use, for the watchdog's last-moment removal.
std::atomic<const char*> g_namedTemporary{nullptr};

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The failure of a system call on the output, with errno's text and code (a full disk or a
// folder that may not be written to gets its own reason).
EncoderError systemError(const std::string& what)
{
    const int error = errno;
    return EncoderError(Reason::OutputUnwritable, what + ": " + std::strerror(error), AVERROR(error));
}

// A name taken meanwhile is the output that exists; anything else is the system's failure.
EncoderError placingError()
{
    if (errno == EEXIST)
        return EncoderError(Reason::OutputExists, "the output file exists already (-y replaces it)");
    return systemError("cannot put the output file in place");
}

std::string procPathOf(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

std::string temporaryNamePrefix(pid_t pid)
{
    return ".kovirta-" + std::to_string(pid) + "-";
}

TemporaryOutput::TemporaryOutput(const std::string& outputPath, bool nameless)
    : m_folder(folderOf(outputPath)), m_outputName(outputPath)
{
    if (nameless)
        createAnonymous();
    if (m_fd < 0)
        createNamed();
}

TemporaryOutput::~TemporaryOutput()
{
    closeFile();
    if (!m_placed && !m_namedPath.empty()) {
        g_namedTemporary = nullptr;
        unlink(m_namedPath.c_str());
    }
}

void TemporaryOutput::createAnonymous()
{
    const int fd = open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0)
        return; // the file system cannot make nameless files: a hidden name is used instead
    // The nameless file is given a name through /proc at the end; without it, it never could be.
    if (access(procPathOf(fd).c_str(), F_OK) != 0) {
        close(fd);
        return;
    }
    m_fd = fd;
}

void TemporaryOutput::createNamed()
{
    const std::string prefix = m_folder + "/" + temporaryNamePrefix(getpid());
    for (int n = 0; n < kNameAttempts; ++n) {
        const std::string path = prefix + std::to_string(n) + ".part";
        // Exclusive creation never opens an existing file, nor follows a link planted there.
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_namedPath = path;
            g_namedTemporary = m_namedPath.c_str();
            return;
        }
        if (errno != EEXIST)
            throw systemError("cannot create the output file in " + m_folder);
    }
    throw EncoderError(Reason::OutputUnwritable,
                       "cannot create the output file in " + m_folder + ": no free temporary name");
}

std::string TemporaryOutput::linkUnderHiddenName()
{
    const std::string prefix = m_folder + "/" + temporaryNamePrefix(getpid());
    for (int n = 0; n < kNameAttempts; ++n) {
        const std::string path = prefix + std::to_string(n) + ".part";
        if (linkat(AT_FDCWD, procPathOf(m_fd).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return path;
        if (errno != EEXIST)
            throw systemError("cannot put the output file in place");
    }
    throw EncoderError(Reason::OutputUnwritable, "cannot put the output file in place: no free temporary name");
}

void TemporaryOutput::putInPlace(bool replace)
{
    if (fsync(m_fd) != 0)
        throw systemError("cannot write the output file out");
    const bool anonymous = m_namedPath.empty();
    if (anonymous && !replace) {
        // Linked straight under the output's name, which fails when anything has that name.
        if (linkat(AT_FDCWD, procPathOf(m_fd).c_str(), AT_FDCWD, m_outputName.c_str(), AT_SYMLINK_FOLLOW) != 0)
            throw placingError();
        m_placed = true;
        closeFile();
        return;
    }
    if (anonymous) {
        m_namedPath = linkUnderHiddenName();
        g_namedTemporary = m_namedPath.c_str();
    }
    closeFile();
    const int moved = replace ? rename(m_namedPath.c_str(), m_outputName.c_str()) : renameNoReplace();
    if (moved != 0)
        throw placingError();
    g_namedTemporary = nullptr;
    m_placed = true;
}

int TemporaryOutput::renameNoReplace() const
{
    if (renameat2(AT_FDCWD, m_namedPath.c_str(), AT_FDCWD, m_outputName.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return -1;
    // A file system without the exclusive rename: a hard link fails just as well on a taken name.
    if (link(m_namedPath.c_str(), m_outputName.c_str()) != 0)
        return -1;
    unlink(m_namedPath.c_str());
    return 0;
}

void TemporaryOutput::removeNamedNow()
{
    if (const char* path = g_namedTemporary.exchange(nullptr))
        unlink(path);
}

void TemporaryOutput::closeFile()
{
    if (m_fd < 0)
        return;
    const int fd = std::exchange(m_fd, -1);
    close(fd);
}

} // namespace enc
