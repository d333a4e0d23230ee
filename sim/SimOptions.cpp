#include "SimOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

// Strict decimal integer in [lo, hi]: the whole text, no sign games.
bool readInt(const std::string &text, long lo, long hi, long &out)
{
    long v = 0;
    const char *end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool readTemperature(const std::string &text, double &out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || v < -50.0 || v > 150.0)
        return false;
    out = v;
    return true;
}

bool readSizes(const std::string &text, std::vector<int> &out)
{
    out.clear();
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long v = 0;
        if (!readInt(item, 0, 100000, v))
            return false;
        out.push_back(int(v));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return !out.empty() && out.size() <= 999;
}

// "5" or "5s": seconds; "2m": minutes; 1..999 of either.
bool readInterval(std::string text, int &unit, int &value)
{
    int u = 0;
    if (!text.empty() && (text.back() == 's' || text.back() == 'm')) {
        u = text.back() == 'm' ? 1 : 0;
        text.pop_back();
    }
    long v = 0;
    if (!readInt(text, 1, 999, v))
        return false;
    unit = u;
    value = int(v);
    return true;
}

// C escapes: \\ \r \n \t \0 and \xHH (two hex digits); any other byte
// stands for itself. False for a lone or unknown escape.
bool readEscaped(const std::string &text, std::string &out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 'x': {
            unsigned v = 0;
            const char *begin = text.data() + i + 1;
            if (i + 2 >= text.size())
                return false;
            auto [p, ec] = std::from_chars(begin, begin + 2, v, 16);
            if (ec != std::errc() || p != begin + 2)
                return false;
            out += char(v);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

// "N:REST": a reply number from 1 and the text after the first colon.
bool readReplyAnd(const std::string &text, long &reply, std::string &rest)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !readInt(text.substr(0, colon), 1, 1000000000, reply))
        return false;
    rest = text.substr(colon + 1);
    return true;
}

// A count field: escapes allowed, no line feed (the frame's own ends it).
bool readCountText(const std::string &text, std::optional<std::string> &out)
{
    std::string bytes;
    if (!readEscaped(text, bytes) || bytes.size() > 64 || bytes.find('\n') != std::string::npos)
        return false;
    out = bytes;
    return true;
}

using Setter = std::function<bool(SimOptions &, const std::string &)>;

Setter longIn(long SimOptions::*field, long lo, long hi)
{
    return [=](SimOptions &o, const std::string &t) { return readInt(t, lo, hi, o.*field); };
}

Setter intIn(int SimOptions::*field, long lo, long hi)
{
    return [=](SimOptions &o, const std::string &t) {
        long v = 0;
        if (!readInt(t, lo, hi, v))
            return false;
        o.*field = int(v);
        return true;
    };
}

Setter temperature(double SimOptions::*field)
{
    return [=](SimOptions &o, const std::string &t) { return readTemperature(t, o.*field); };
}

const std::map<std::string, Setter> &valueOptions()
{
    static const std::map<std::string, Setter> table = {
        {"--link",
         [](SimOptions &o, const std::string &t) {
             o.linkPath = t;
             return !t.empty();
         }},
        {"--log",
         [](SimOptions &o, const std::string &t) {
             o.logPath = t;
             return !t.empty();
         }},
        {"--baud", longIn(&SimOptions::baud, 0, 4000000)},
        {"--delay", intIn(&SimOptions::delayMs, 0, 60000)},
        {"--tests",
         [](SimOptions &o, const std::string &t) {
             long v = 0;
             if (!readInt(t, 0, 999, v))
                 return false;
             o.testCount = int(v);
             return true;
         }},
        {"--sizes", [](SimOptions &o, const std::string &t) { return readSizes(t, o.testSizes); }},
        {"--seed",
         [](SimOptions &o, const std::string &t) {
             uint64_t v = 0;
             auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
             if (t.empty() || ec != std::errc() || p != t.data() + t.size())
                 return false;
             o.seed = v;
             return true;
         }},
        {"--memory", intIn(&SimOptions::memoryCapacity, 1, 1000000)},
        {"--wet", temperature(&SimOptions::wet)},
        {"--dry", temperature(&SimOptions::dry)},
        {"--globe", temperature(&SimOptions::globe)},
        {"--drift",
         [](SimOptions &o, const std::string &t) {
             return readTemperature(t, o.drift) && o.drift >= 0.0 && o.drift <= 10.0;
         }},
        {"--unit",
         [](SimOptions &o, const std::string &t) {
             if (t != "C" && t != "F")
                 return false;
             o.fahrenheit = t == "F";
             return true;
         }},
        {"--interval", [](SimOptions &o, const std::string &t) { return readInterval(t, o.intervalUnit, o.interval); }},
        {"--silent-after", longIn(&SimOptions::silentAfter, 0, 1000000000)},
        {"--drop-after", longIn(&SimOptions::dropAfter, 0, 1000000000)},
        {"--garbage", intIn(&SimOptions::garbageBytes, 0, 4096)},
        {"--garbage-every", intIn(&SimOptions::garbageEvery, 1, 1000000)},
        {"--cut-frame",
         [](SimOptions &o, const std::string &t) {
             long reply = 0, keep = 0;
             std::string rest;
             if (!readReplyAnd(t, reply, rest) || !readInt(rest, 0, 100000, keep))
                 return false;
             o.cuts.push_back({reply, size_t(keep)});
             return true;
         }},
        {"--inject-after",
         [](SimOptions &o, const std::string &t) {
             long reply = 0;
             std::string rest, bytes;
             if (!readReplyAnd(t, reply, rest) || !readEscaped(rest, bytes) || bytes.empty() || bytes.size() > 4096)
                 return false;
             o.injections.push_back({reply, bytes});
             return true;
         }},
        {"--no-lf-after", longIn(&SimOptions::noLineFeedAfter, 0, 1000000000)},
        {"--noise-flood", longIn(&SimOptions::floodRate, 1, 1000000)},
        {"--test-count", [](SimOptions &o, const std::string &t) { return readCountText(t, o.testCountText); }},
        {"--record-count", [](SimOptions &o, const std::string &t) { return readCountText(t, o.recordCountText); }},
    };
    return table;
}

std::string checkConsistency(const SimOptions &o)
{
    if (o.testCount && !o.testSizes.empty() && size_t(*o.testCount) != o.testSizes.size())
        return "--tests and --sizes name different numbers of tests";
    long total = 0;
    for (int s : o.testSizes)
        total += s;
    if (total > o.memoryCapacity)
        return "the stored records (" + std::to_string(total) + ") exceed --memory (" +
               std::to_string(o.memoryCapacity) + ")";
    return {};
}

} // namespace

OptionsResult parseOptions(int argc, const char *const *argv)
{
    OptionsResult result;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            return result;
        }
        if (arg == "--exit-with-parent") {
            result.options.exitWithParent = true;
            continue;
        }
        std::string value;
        bool inlineValue = false;
        if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            inlineValue = true;
        }
        const auto it = valueOptions().find(arg);
        if (it == valueOptions().end()) {
            result.error = "unknown option " + arg;
            return result;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                result.error = arg + " needs a value";
                return result;
            }
            value = argv[++i];
        }
        if (!it->second(result.options, value)) {
            result.error = "bad value for " + arg + ": '" + value + "'";
            return result;
        }
    }
    result.error = checkConsistency(result.options);
    return result;
}

std::string usageText()
{
    return R"(Usage: vestara-sim [options]
Plays the heat-stress meter on a pseudo-terminal. The first line of standard
output is the device path; the client opens that path (or the --link) as its
serial port.

Device and log:
  --link PATH           also make PATH a symbolic link to the device (removed on exit)
  --log FILE            one line per request: monotonic seconds, then its bytes
  --exit-with-parent    end when the process that started the simulator ends

Line:
  --baud B              pace the line at B bit/s, 10 bits a byte, both ways: replies
                        go out no faster, and a request is answered no sooner than
                        its own bytes would have taken to arrive (default 19200;
                        0: no pacing, answers at once)
  --delay MS            wait MS milliseconds before each reply (default 0)

Stored tests (default: 3 tests of 10, 0 and 25 records):
  --tests N             number of stored tests; without --sizes their sizes come
                        from the seed
  --sizes A,B,...       records of each stored test
  --seed S              random source for sizes, records and drift; alone it also
                        chooses the number of tests
  --memory N            records the memory can hold (default 2000)

Live values:
  --wet X --dry X --globe X   Celsius values the sensors wander around
                        (default 24.5, 30.2, 33.8)
  --drift X             largest wander from them in Celsius (default 0.4; 0 = steady)
  --unit C|F            display unit at start (default C)
  --interval N[s|m]     sampling interval, 1..999 seconds or minutes (default 5s)

Faults:
  --silent-after N      answer the first N requests, then none (still logged)
  --drop-after N        close the device once N requests have been answered
  --garbage N           write N noise bytes (never ':' or a line feed) before replies
  --garbage-every K     ... before every K-th reply only (default 1)
  --cut-frame N:K       send only the first K bytes of the N-th reply (the rest never
                        goes out; K beyond the frame sends it whole)
  --inject-after N:TEXT send TEXT right after the N-th reply; C escapes \\ \r \n \t
                        \0 \xHH (e.g. --inject-after '2::A\r\n')
  --no-lf-after N       send the first N replies whole, then every reply without
                        its final line feed (the CR stays)
  --noise-flood RATE    send RATE noise bytes a second, continuously, between replies
                        (never inside one): random bytes mixed with frame pieces
                        such as ":H\n", ":A[", "\x01" and "C"; --seed repeats them
  --test-count TEXT     answer every "@T" with ":T" TEXT CR LF, e.g. 2147483647,
                        -1, 99999999999 or "" (C escapes; no line feed)
  --record-count TEXT   answer every "@R n" with ":R" TEXT CR LF (the test is still
                        selected)
  Replies are counted from 1 in the order they are sent; --cut-frame and
  --inject-after may be given more than once.

  --help                this text
)";
}
