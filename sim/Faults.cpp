#include "Faults.h"

bool Faults::answerRequest()
{
    ++received;
    if (plan.dropAfter >= 0 && received > plan.dropAfter)
        return false;
    return plan.silentAfter < 0 || received <= plan.silentAfter;
}

std::string Faults::noiseBeforeReply()
{
    ++replies;
    if (plan.garbageBytes <= 0 || replies % plan.garbageEvery != 0)
        return {};
    std::string noise;
    while (noise.size() < size_t(plan.garbageBytes)) {
        const char c = char(random.between(0, 255));
        if (c != ':' && c != '\n')
            noise += c;
    }
    return noise;
}
