// The encoder's temporary output file on its own: exclusive, never through a planted link, put in
// place whole (replacing or not), and gone when not put in place, with or without a name.
#include "ffmpeg_util.h"
#include "temporary_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct WorkFolder {
    WorkFolder()
    {
        char pattern[] = "/tmp/kovirta-temporary-output-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~WorkFolder() { fs::remove_all(path); }
    std::string path;
};

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void writeThrough(const enc::TemporaryOutput& temporary, const std::string& text)
{
    ASSERT_EQ(write(temporary.fd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// The names in folder, hidden ones too, sorted.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(TemporaryOutput, BelongsToItsRunWithOrWithoutAName)
{
    for (const bool nameless : {true, false}) {
        SCOPED_TRACE(nameless ? "nameless" : "named");
        WorkFolder work;
        const std::string output = work.path + "/clip.mp4";
        // A link planted under the first hidden name this process would take.
        writeText(work.path + "/victim.txt", "the user's text");
        const std::string planted = work.path + "/" + enc::temporaryNamePrefix(getpid()) + "0.part";
        fs::create_symlink("victim.txt", planted);

        {
            // Not put in place: nothing of it stays.
            enc::TemporaryOutput abandoned(output, nameless);
            writeThrough(abandoned, "half");
        }
        EXPECT_EQ(namesIn(work.path), (std::vector<std::string>{fs::path(planted).filename().string(), "victim.txt"}));

        // Without replacing, an output that exists is kept and the run fails.
        writeText(output, "older output");
        {
            enc::TemporaryOutput refused(output, nameless);
            writeThrough(refused, "new output");
            EXPECT_THROW(refused.putInPlace(false), enc::EncoderError);
        }
        EXPECT_EQ(contents(output), "older output");

        // Replacing: the whole new file takes the name in one step.
        {
            enc::TemporaryOutput replacing(output, nameless);
            writeThrough(replacing, "new output");
            replacing.putInPlace(true);
        }
        EXPECT_EQ(contents(output), "new output");
        EXPECT_FALSE(fs::is_symlink(output));

        // Not replacing, on a free name.
        fs::remove(output);
        {
            enc::TemporaryOutput placed(output, nameless);
            writeThrough(placed, "first output");
            placed.putInPlace(false);
        }
        EXPECT_EQ(contents(output), "first output");

        EXPECT_EQ(contents(work.path + "/victim.txt"), "the user's text");
        EXPECT_EQ(namesIn(work.path),
                  (std::vector<std::string>{fs::path(planted).filename().string(), "clip.mp4", "victim.txt"}));
    }
}
