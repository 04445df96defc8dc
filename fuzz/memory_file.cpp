#include "memory_file.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kovirta::fuzz {

MemoryFile::MemoryFile(const uint8_t* data, size_t size) : m_fd(memfd_create("kovirta-fuzz", MFD_CLOEXEC))
{
    if (m_fd < 0)
        throw std::runtime_error(std::string("memfd_create: ") + std::strerror(errno));
    size_t done = 0;
    while (done < size) {
        const ssize_t written = write(m_fd, data + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = errno;
            close(m_fd);
            throw std::runtime_error(std::string("writing a memory file: ") + std::strerror(error));
        }
        done += static_cast<size_t>(written);
    }
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

size_t MemoryFile::size() const
{
    struct stat st {};
    if (fstat(m_fd, &st) != 0)
        throw std::runtime_error(std::string("fstat: ") + std::strerror(errno));
    return static_cast<size_t>(st.st_size);
}

MemoryFile::~MemoryFile()
{
    close(m_fd);
}

} // namespace kovirta::fuzz
