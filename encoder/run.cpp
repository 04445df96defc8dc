#include "run.h"

#include "convert.h"
#include "exit_status.h"
#include "ffmpeg_util.h"
#include "options.h"
#include "probe.h"
#include "probe_heap.h"

extern "C" {
#include <libavutil/log.h>
}

namespace enc {
namespace {

void printLine(std::FILE* err, const std::string& line)
{
    std::fputs(line.c_str(), err);
    std::fputc('\n', err);
    std::fflush(err);
}

int probe(const std::string& path, std::FILE* err)
{
    prepareHeapForProbe();
    try {
        for (const std::string& line : probeReport(path))
            printLine(err, line);
    } catch (const EncoderError& e) {
        printLine(err, errorLine(e.reason(), e.what()));
    } catch (const std::bad_alloc&) {
        printLine(err, errorLine(Reason::OutOfMemory, "out of memory"));
    } catch (const std::exception& e) {
        printLine(err, errorLine(Reason::Failed, std::string("unexpected failure: ") + e.what()));
    } catch (...) {
        printLine(err, errorLine(Reason::Failed, "unexpected failure"));
    }
    // As with FFmpeg, a run without an output file ends with status 1.
    return kExitFailed;
}

} // namespace

int runEncoder(const std::vector<std::string>& args, std::FILE* err)
{
    // The report is our own text; library chatter could carry tags or names that confuse its reader.
    av_log_set_level(AV_LOG_ERROR);
    captureLibraryLog();

    const ParseResult parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        printLine(err, errorLine(Reason::Usage, parsed.error));
        return kExitUsage;
    }
    if (parsed.options.output.empty())
        return probe(parsed.options.input, err);
    return convert(parsed.options, err);
}

} // namespace enc
