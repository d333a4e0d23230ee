#include "Requests.h"

#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace {

// A decimal number filling the whole text, within [lo, hi].
std::optional<int> number(std::string_view text, int lo, int hi)
{
    int v = 0;
    const char *end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end || v < lo || v > hi)
        return std::nullopt;
    return v;
}

std::optional<Request> with(Command command, std::optional<int> n)
{
    if (!n)
        return std::nullopt;
    Request r;
    r.command = command;
    r.number = *n;
    return r;
}

std::optional<Request> interval(std::string_view args)
{
    // "0+5", "1+10": unit, "+", 1..999
    if (args.size() < 3 || (args[0] != '0' && args[0] != '1') || args[1] != '+')
        return std::nullopt;
    auto r = with(Command::SetInterval, number(args.substr(2), 1, 999));
    if (r)
        r->unit = args[0] - '0';
    return r;
}

std::optional<Request> clock(std::string_view args)
{
    if (args.size() != 12)
        return std::nullopt;
    const auto pair = [&](size_t i, int lo, int hi) { return number(args.substr(i, 2), lo, hi); };
    const auto h = pair(0, 0, 23), n = pair(2, 0, 59), s = pair(4, 0, 59);
    const auto d = pair(6, 1, 31), m = pair(8, 1, 12), y = pair(10, 0, 99);
    if (!h || !n || !s || !d || !m || !y)
        return std::nullopt;
    using namespace std::chrono;
    if (!year_month_day{year{2000 + *y}, month{unsigned(*m)}, day{unsigned(*d)}}.ok())
        return std::nullopt;
    Request r;
    r.command = Command::SetClock;
    r.clock = {*h, *n, *s, *d, *m, *y};
    return r;
}

std::optional<Request> offset(std::string_view args)
{
    // "1>3F000000": channel, ">", the bit pattern, most significant digit first
    if (args.size() != 10 || args[1] != '>')
        return std::nullopt;
    auto r = with(Command::AdjustOffset, number(args.substr(0, 1), 1, 3));
    uint32_t bits = 0;
    const char *begin = args.data() + 2, *end = args.data() + args.size();
    auto [p, ec] = std::from_chars(begin, end, bits, 16);
    if (!r || ec != std::errc() || p != end)
        return std::nullopt;
    r->offset = std::bit_cast<float>(bits);
    // An infinite or undefined correction, or one beyond any sensor's range,
    // is a broken command rather than a calibration.
    if (!std::isfinite(r->offset) || std::fabs(r->offset) > 100.0f)
        return std::nullopt;
    return r;
}

} // namespace

std::optional<Request> parseRequest(std::string_view line)
{
    if (line.size() < 2 || line[0] != '@')
        return std::nullopt;
    const char letter = line[1];
    const std::string_view args = line.substr(2);
    const auto bare = [&](Command c) { return args.empty() ? with(c, 0) : std::nullopt; };
    switch (letter) {
    case 'M': return bare(Command::Live);
    case 'G': return bare(Command::Maxima);
    case 'B': return bare(Command::Minima);
    case 'T': return bare(Command::TestCount);
    case 'R': return with(Command::RecordCount, number(args, 0, 999999));
    case 't': return with(Command::SelectTest, number(args, 0, 999999));
    case 'r': return with(Command::SelectRecord, number(args, 0, 999999));
    case 'A': return bare(Command::Record);
    case 'F': return bare(Command::Memory);
    case 'I': return bare(Command::Interval);
    case 'u': return bare(Command::IntervalTotal);
    case 'i': return interval(args);
    case 'H': return clock(args);
    case 'U': return with(Command::SetUnit, number(args, 0, 1));
    case 'X': return bare(Command::Erase);
    case 'Z': return bare(Command::ZeroOffsets);
    case 'z': return with(Command::ZeroOffset, number(args, 1, 3));
    case 'c': return offset(args);
    default: return std::nullopt;
    }
}
