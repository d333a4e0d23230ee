#pragma once
// The request log: one line per request received, "<seconds> <bytes>", the
// seconds from the monotonic clock with six decimals, the bytes with CR, LF,
// backslash and other control bytes escaped ("\r", "\n", "\\", "\xHH").
// Each line is written whole and at once, so a reader tailing the file never
// sees half a line.

#include <string>
#include <string_view>

std::string escapeBytes(std::string_view bytes);

class RequestLog {
public:
    RequestLog() = default;
    ~RequestLog();
    RequestLog(const RequestLog &) = delete;
    RequestLog &operator=(const RequestLog &) = delete;

    // Creates or empties the file; false with errno set when it cannot.
    bool open(const std::string &path);
    void record(double monotonicSeconds, std::string_view request);

private:
    int fd = -1;
};
