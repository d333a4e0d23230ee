#pragma once
// The simulator's command line: what the meter holds at start, how it paces
// its line, and which faults it injects.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SimOptions {
    std::string linkPath; // --link: symbolic link to the device, removed on exit
    std::string logPath;  // --log: one line per request received
    long baud = 19200;    // --baud: 0 writes as fast as possible
    int delayMs = 0;      // --delay: pause before each reply starts

    std::optional<int> testCount; // --tests
    std::vector<int> testSizes;   // --sizes (records per stored test)
    std::optional<uint64_t> seed; // --seed
    int memoryCapacity = 2000;    // --memory: records the meter can hold

    double wet = 24.5; // --wet, --dry, --globe: Celsius
    double dry = 30.2;
    double globe = 33.8;
    double drift = 0.4;      // --drift: largest wander from those values
    bool fahrenheit = false; // --unit C|F
    int intervalUnit = 0;    // --interval: 0 seconds, 1 minutes
    int interval = 5;

    long silentAfter = -1; // --silent-after N: answer only N requests
    long dropAfter = -1;   // --drop-after N: close the device after N requests
    int garbageBytes = 0;  // --garbage N: noise bytes before replies
    int garbageEvery = 1;  // --garbage-every K: before every K-th reply
    struct Cut {
        long reply = 0;
        size_t keep = 0;
    };
    std::vector<Cut> cuts; // --cut-frame N:K: the N-th reply stops after K bytes
    struct Inject {
        long reply = 0;
        std::string bytes;
    };
    std::vector<Inject> injections;             // --inject-after N:TEXT: TEXT follows the N-th reply
    long noLineFeedAfter = -1;                  // --no-lf-after N: later replies lose their line feed
    long floodRate = 0;                         // --noise-flood RATE: noise bytes a second
    std::optional<std::string> testCountText;   // --test-count TEXT: the "T" reply's count
    std::optional<std::string> recordCountText; // --record-count TEXT: every "R" reply's count

    bool exitWithParent = false; // --exit-with-parent
};

struct OptionsResult {
    SimOptions options;
    bool help = false;
    std::string error; // non-empty when the command line is wrong
};

OptionsResult parseOptions(int argc, const char *const *argv);
std::string usageText();
