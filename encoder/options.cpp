#include "options.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

namespace enc {
namespace {

// Bounds on what a command line may ask for, so that no size, rate or border can overflow the
// arithmetic done with it: far beyond any device's screen or sound.
constexpr int kMaxFrameSide = 16384;
constexpr int kMaxVolumePercent = 10000;
constexpr int kMaxChannels = 8;
constexpr int kMaxSampleRate = 384000;
constexpr int kMaxAsyncSamples = 1000000;

std::optional<int> parseInt(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

// A decimal number written with "." or ",", independent of the process locale.
std::optional<double> parseDecimal(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::pair<int, int>> parseSize(const std::string& text)
{
    const auto x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    auto w = parseInt(text.substr(0, x));
    auto h = parseInt(text.substr(x + 1));
    if (!w || !h || *w <= 0 || *h <= 0 || *w > kMaxFrameSide || *h > kMaxFrameSide)
        return std::nullopt;
    return std::make_pair(*w, *h);
}

using Setter = std::function<bool(EncoderOptions&, const std::string&)>;

struct OptionSpec {
    const char* name;
    bool takesValue;
    Setter set;
};

Setter intSetter(int EncoderOptions::*field, int minimum, int maximum)
{
    return [field, minimum, maximum](EncoderOptions& o, const std::string& v) {
        auto value = parseInt(v);
        if (!value || *value < minimum || *value > maximum)
            return false;
        o.*field = *value;
        return true;
    };
}

Setter textSetter(std::string EncoderOptions::*field)
{
    return [field](EncoderOptions& o, const std::string& v) {
        if (v.empty())
            return false;
        o.*field = v;
        return true;
    };
}

Setter bitRateSetter(int64_t EncoderOptions::*field)
{
    return [field](EncoderOptions& o, const std::string& v) {
        auto value = parseBitRate(v);
        if (!value)
            return false;
        o.*field = *value;
        return true;
    };
}

const std::vector<OptionSpec>& optionTable()
{
    static const std::vector<OptionSpec> table = {
        {"-i", true, textSetter(&EncoderOptions::input)},
        {"-f", true, textSetter(&EncoderOptions::format)},
        {"-s", true,
         [](EncoderOptions& o, const std::string& v) {
             auto size = parseSize(v);
             if (!size)
                 return false;
             o.width = size->first;
             o.height = size->second;
             return true;
         }},
        {"-vcodec", true, textSetter(&EncoderOptions::videoCodec)},
        {"-vol", true, intSetter(&EncoderOptions::volumePercent, 0, kMaxVolumePercent)},
        {"-deinterlace", false, [](EncoderOptions& o, const std::string&) { return o.deinterlace = true; }},
        {"-padleft", true, intSetter(&EncoderOptions::padLeft, 0, kMaxFrameSide)},
        {"-padright", true, intSetter(&EncoderOptions::padRight, 0, kMaxFrameSide)},
        {"-padtop", true, intSetter(&EncoderOptions::padTop, 0, kMaxFrameSide)},
        {"-padbottom", true, intSetter(&EncoderOptions::padBottom, 0, kMaxFrameSide)},
        {"-r", true,
         [](EncoderOptions& o, const std::string& v) {
             auto rate = parseDecimal(v);
             if (!rate || *rate < 0 || *rate > 1000)
                 return false;
             o.frameRate = *rate;
             return true;
         }},
        {"-b", true, bitRateSetter(&EncoderOptions::videoBitRate)},
        {"-vprofile", true, textSetter(&EncoderOptions::videoProfile)},
        {"-level", true, textSetter(&EncoderOptions::videoLevel)},
        {"-maxrate", true, bitRateSetter(&EncoderOptions::maxVideoRate)},
        {"-acodec", true, textSetter(&EncoderOptions::audioCodec)},
        {"-ab", true, bitRateSetter(&EncoderOptions::audioBitRate)},
        {"-ac", true, intSetter(&EncoderOptions::channels, 0, kMaxChannels)},
        {"-ar", true, intSetter(&EncoderOptions::sampleRate, 0, kMaxSampleRate)},
        {"-async", true, intSetter(&EncoderOptions::asyncSamples, 0, kMaxAsyncSamples)},
        {"-title", true,
         [](EncoderOptions& o, const std::string& v) {
             o.title = v;
             return true;
         }},
        {"-timestamp", true,
         [](EncoderOptions& o, const std::string& v) {
             o.timestamp = v;
             return true;
         }},
        {"-bitexact", false, [](EncoderOptions& o, const std::string&) { return o.bitexact = true; }},
        {"-y", false, [](EncoderOptions& o, const std::string&) { return o.overwrite = true; }},
    };
    return table;
}

} // namespace

std::optional<int64_t> parseBitRate(const std::string& text)
{
    std::string number = text;
    double scale = 1.0;
    if (!number.empty() && (number.back() == 'k' || number.back() == 'K')) {
        number.pop_back();
        scale = 1000.0;
    }
    auto value = parseDecimal(number);
    if (!value || *value < 0)
        return std::nullopt;
    const double bits = std::round(*value * scale);
    if (bits > static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return static_cast<int64_t>(bits);
}

ParseResult parseOptions(const std::vector<std::string>& args)
{
    ParseResult result;
    const auto& table = optionTable();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool looksLikeOption = arg.size() > 1 && arg[0] == '-';
        if (!looksLikeOption) {
            if (i + 1 != args.size()) {
                result.error = "unexpected argument '" + arg + "' before the end of the command line";
                return result;
            }
            result.options.output = arg;
            break;
        }
        auto option = std::find_if(table.begin(), table.end(), [&](const OptionSpec& s) { return arg == s.name; });
        if (option == table.end()) {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= args.size()) {
                result.error = "option '" + arg + "' needs a value";
                return result;
            }
            value = args[++i];
        }
        if (!option->set(result.options, value)) {
            result.error = "invalid value '" + value + "' for option '" + arg + "'";
            return result;
        }
    }
    const EncoderOptions& o = result.options;
    if (o.input.empty())
        result.error = "no input file given (-i)";
    else if (o.width + o.padLeft + o.padRight > kMaxFrameSide || o.height + o.padTop + o.padBottom > kMaxFrameSide)
        result.error = "the frame with its borders is larger than " + std::to_string(kMaxFrameSide) + " pixels a side";
    return result;
}

} // namespace enc
