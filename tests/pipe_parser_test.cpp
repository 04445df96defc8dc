#include "core/media/file_info.h"
#include "core/media/pipe_parser.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

TEST(PipeParserSplit, LineEndsOfEveryKind)
{
    struct Case {
        QByteArray data;
        TextList lines;
    };
    const Case cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\n", {"a"}},
        {"a\r\n\r\nb\r", {"a", "", "b"}},
        {"frame= 1 time=0.1 \rframe= 2 time=0.2 \r", {"frame= 1 time=0.1 ", "frame= 2 time=0.2 "}},
        {"", {}},
        {"\n", {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TPipeParser::SplitLines(c.data), c.lines) << c.data.toStdString();
}

TEST(PipeParserSplit, QuotedPathStaysOneArgument)
{
    EXPECT_EQ(TPipeParser::SplitArguments(QStringLiteral(" -i \"/my clips/a b.avi\"")),
              (QStringList{QStringLiteral("-i"), QStringLiteral("/my clips/a b.avi")}));
}

class PipeParserRun : public ::testing::Test {
protected:
    FakeProgramDir program;
    TPipeParser parser{program.path()};
};

TEST_F(PipeParserRun, CollectsTheChosenStreamOnly)
{
    program.setScript({QStringLiteral("out on stdout\\n"), QStringLiteral("err one\\rtwo\\r"),
                       QStringLiteral("sleep 20"), QStringLiteral("err three\\r\\nlast without break")});
    parser.Arguments = QStringLiteral(" -i \"x\"");
    parser.Run(true);
    EXPECT_EQ(parser.Output,
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                           QStringLiteral("last without break")}));
    parser.Run(false);
    EXPECT_EQ(parser.Output, QStringList{QStringLiteral("on stdout")});
}

TEST_F(PipeParserRun, ChildStillRunningAtTheTimeoutIsKilledAndItsOutputDiscarded)
{
    // Left alone, the child would end by itself well before the default timeout, with a second line.
    program.setScript({QStringLiteral("pid"),
                       QStringLiteral("err Duration: 00:00:01.00, start: 0.0, bitrate: 1 kb/s\\n"),
                       QStringLiteral("sleep 20000"), QStringLiteral("err late\\n")});
    parser.Output = QStringList{QStringLiteral("old")};
    parser.TimeoutMs = 300;
    parser.Run(true);
    EXPECT_TRUE(parser.Output.isEmpty());
    const qint64 pid = program.receivedPid();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), -1) << "the child is still there";
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(PipeParserRun, ChildSeesNoEnvironmentButTheSanitizerSettings)
{
    // Sets variables for one scope and puts the previous values back.
    class EnvironmentScope {
    public:
        void set(const char* name, const char* value)
        {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            if (value)
                ::setenv(name, value, 1);
            else
                ::unsetenv(name);
        }
        ~EnvironmentScope()
        {
            for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
                if (it->second)
                    ::setenv(it->first.c_str(), it->second->c_str(), 1);
                else
                    ::unsetenv(it->first.c_str());
            }
        }

    private:
        std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
    };
    // A sanitized run keeps its own settings, so that the fake's reports still reach their place.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const char* ubsan = std::getenv("UBSAN_OPTIONS");
    const std::string asanValue = asan ? asan : "detect_leaks=1";
    const std::string ubsanValue = ubsan ? ubsan : "print_stacktrace=1";
    EnvironmentScope scope;
    scope.set("ASAN_OPTIONS", asanValue.c_str());
    scope.set("UBSAN_OPTIONS", ubsanValue.c_str());
    scope.set("LSAN_OPTIONS", nullptr);
    scope.set("KOVIRTA_UNRELATED", "1");

    program.setScript({QStringLiteral("env")});
    parser.Run(true);
    EXPECT_EQ(parser.Output,
              (QStringList{QStringLiteral("ASAN_OPTIONS=") + QString::fromStdString(asanValue),
                           QStringLiteral("UBSAN_OPTIONS=") + QString::fromStdString(ubsanValue)}));
}

TEST(PipeParserMissingProgram, LeavesOutputUntouched)
{
    TPipeParser parser(QStringLiteral("/no/such/program/dir/"));
    parser.Output = QStringList{QStringLiteral("kept")};
    parser.Arguments = QStringLiteral(" -i \"a.avi\"");
    parser.Run(true);
    EXPECT_EQ(parser.Output, QStringList{QStringLiteral("kept")});
}

TEST(FileInfoParserProbe, PassesThePathAsOneArgumentWhateverItHolds)
{
    FakeProgramDir program;
    program.setScript({QStringLiteral("args")});
    const QString awkward = QStringLiteral("/tmp/my \"best\" clip, 2009.avi");
    TFileInfoParser parser(awkward, program.path(), nullptr);
    TFileInfo info;
    parser.Probe(info);
    EXPECT_EQ(parser.Arguments, QStringLiteral(" -i \"") + awkward + QStringLiteral("\""));
    EXPECT_EQ(program.receivedArguments(), (QStringList{QStringLiteral("-i"), awkward}));
}
