#include "RequestReader.h"

std::vector<ReceivedLine> RequestReader::feed(std::string_view bytes)
{
    std::vector<ReceivedLine> lines;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char ch = bytes[i];
        ++pendingLength;
        if (!dropping) {
            pending += ch;
            dropping = pending.size() > maxLength;
        }
        if (ch == '\n') {
            lines.push_back({dropping ? pending.substr(0, maxLength) : pending, pendingLength, i + 1, dropping});
            reset();
        }
    }
    return lines;
}

void RequestReader::reset()
{
    pending.clear();
    pendingLength = 0;
    dropping = false;
}

std::string_view withoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}
