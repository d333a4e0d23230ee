#pragma once
// Cuts the bytes received from the client into request lines, each ending
// with its line feed. A line that grows past the bound without a line feed is
// dropped up to and including its line feed, however long it runs.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ReceivedLine {
    std::string bytes; // the whole line with its CR LF; for a dropped line its first bytes
    size_t length = 0; // bytes received for the line
    size_t end = 0;    // offset just past its line feed in the bytes fed with it
    bool tooLong = false;
};

class RequestReader {
public:
    explicit RequestReader(size_t maxLineLength) : maxLength(maxLineLength) {}

    std::vector<ReceivedLine> feed(std::string_view bytes);
    // Forgets a partly received line (the client went away).
    void reset();

private:
    size_t maxLength;
    std::string pending;
    size_t pendingLength = 0;
    bool dropping = false;
};

// The line without its trailing CR LF (or lone LF).
std::string_view withoutLineEnd(std::string_view line);
