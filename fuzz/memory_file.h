// A file that lives in memory only, reachable by a path, for feeding bytes to code that opens files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kovirta::fuzz {

class MemoryFile {
public:
    // An anonymous memory file (memfd) holding a copy of the bytes; throws std::runtime_error
    // when the system cannot make one.
    MemoryFile(const uint8_t* data, size_t size);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // "/proc/self/fd/N": opening it opens the memory file afresh, at its start.
    const std::string& path() const { return m_path; }
    // The bytes the file holds now.
    size_t size() const;

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace kovirta::fuzz
