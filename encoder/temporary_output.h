// The file an output is written to until it is whole. It belongs to this run alone: made new in
// the output's folder, never through a link and never over an existing file, and given the
// output's name only at the end.
#pragma once

#include <string>
#include <sys/types.h>

namespace enc {

// Hidden names an encoder process may give its temporary file: ".kovirta-PID-N.part". They hold
// the process id so that whoever started the encoder can remove what a killed one left, and they
// do not depend on the output's name, so that they fit the name limit whatever it is.
std::string temporaryNamePrefix(pid_t pid);

class TemporaryOutput {
public:
    // Creates the temporary file in the folder of outputPath. Where the file system allows it the
    // file has no name at all until it is put in place (nothing is left behind by a killed run);
    // elsewhere it gets a new hidden name of its own. Throws EncoderError when neither can be made.
    // nameless false: a hidden name from the start (what a file system without nameless files gets).
    explicit TemporaryOutput(const std::string& outputPath, bool nameless = true);
    // A file that was not put in place is closed and removed.
    ~TemporaryOutput();
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    int fd() const { return m_fd; }
    // Gives the whole file the output's name. replace: an existing output is replaced in one step
    // (a reader sees the old file or the new one, never a mixture); otherwise an output that
    // appeared meanwhile is kept and the run fails. The file is closed first; a failure to close
    // or to write it out is a failure of the run.
    void putInPlace(bool replace);

    // Removes a named temporary file at once; safe to call from another thread while the
    // conversion runs (the stall watchdog ends the process with it).
    static void removeNamedNow();

private:
    std::string m_folder;     // the output's folder, "." for a bare name
    std::string m_outputName; // the output's path
    std::string m_namedPath;  // the hidden name, when the file has one
    int m_fd = -1;
    bool m_placed = false;

    void createAnonymous();
    void createNamed();
    // Links the open file under a new hidden name (for an anonymous file about to be renamed).
    std::string linkUnderHiddenName();
    // rename() that fails with EEXIST instead of replacing an existing output.
    int renameNoReplace() const;
    void closeFile();
};

} // namespace enc
