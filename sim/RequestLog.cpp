#include "RequestLog.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

std::string escapeBytes(std::string_view bytes)
{
    std::string text;
    for (const unsigned char c : bytes) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\\')
            text += "\\\\";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else
            text += char(c);
    }
    return text;
}

RequestLog::~RequestLog()
{
    if (fd >= 0)
        ::close(fd);
}

bool RequestLog::open(const std::string &path)
{
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    return fd >= 0;
}

void RequestLog::record(double monotonicSeconds, std::string_view request)
{
    if (fd < 0)
        return;
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%.6f ", monotonicSeconds);
    const std::string line = stamp + escapeBytes(request) + "\n";
    size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return; // a full disk must not stop the meter answering
        done += size_t(n);
    }
}
