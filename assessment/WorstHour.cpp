#include "assessment/WorstHour.h"

#include <algorithm>
#include <cmath>

int64_t samplingInterval(const std::vector<IndexSample> &sorted)
{
    std::vector<int64_t> gaps;
    gaps.reserve(sorted.size());
    for (size_t i = 1; i < sorted.size(); ++i) {
        const int64_t g = sorted[i].moment - sorted[i - 1].moment;
        if (g > 0)
            gaps.push_back(g);
    }
    if (gaps.empty())
        return 0;
    const auto middle = gaps.begin() + std::ptrdiff_t((gaps.size() - 1) / 2);
    std::nth_element(gaps.begin(), middle, gaps.end());
    return *middle;
}

WorstWindow findWorstWindow(const std::vector<IndexSample> &s, int64_t window)
{
    WorstWindow w;
    const size_t n = s.size();
    if (n == 0 || window <= 0)
        return w;
    w.lastDuration = samplingInterval(s);

    // Step i runs over [b[i], b[i+1]); p[i] is the integral up to b[i].
    std::vector<RecordSeconds> b(n + 1);
    std::vector<long double> p(n + 1);
    for (size_t i = 0; i < n; ++i)
        b[i] = s[i].moment;
    b[n] = s[n - 1].moment + w.lastDuration;
    p[0] = 0;
    for (size_t i = 0; i < n; ++i)
        p[i + 1] = p[i] + static_cast<long double>(s[i].value) * static_cast<long double>(b[i + 1] - b[i]);

    const int64_t span = b[n] - b[0];
    if (span <= 0)
        return w;

    // The integral from b[0] to x, for x inside step k (or x == b[n], k == n).
    auto integralTo = [&](size_t k, RecordSeconds x) {
        return k < n ? p[k] + static_cast<long double>(s[k].value) * static_cast<long double>(x - b[k]) : p[n];
    };

    RecordSeconds bestStart = b[0];
    long double best = 0;
    bool any = false;
    auto offer = [&](RecordSeconds start, long double integral) {
        // A later window must be better by more than the rounding noise of
        // the prefix sums to displace an earlier one.
        const long double noise = 1e-12L * (std::fabs(best) + std::fabs(integral) + 1);
        if (!any || integral > best + noise || (integral >= best - noise && start < bestStart)) {
            best = integral;
            bestStart = start;
            any = true;
        }
    };

    if (span <= window) {
        w.found = true;
        w.start = b[0];
        w.end = b[n];
        w.coveredSeconds = span;
        w.shorterThanWindow = span < window;
        w.integral = p[n];
    } else {
        // Windows starting where a step begins.
        size_t j = 0;
        for (size_t i = 0; i < n && b[i] + window <= b[n]; ++i) {
            const RecordSeconds end = b[i] + window;
            while (j < n && b[j + 1] <= end)
                ++j;
            offer(b[i], integralTo(j, end) - p[i]);
        }
        // Windows ending where a step ends.
        size_t i = 0;
        for (size_t k = 1; k <= n; ++k) {
            const RecordSeconds start = b[k] - window;
            if (start < b[0])
                continue;
            while (i < n && b[i + 1] <= start)
                ++i;
            offer(start, p[k] - integralTo(i, start));
        }
        w.found = true;
        w.start = bestStart;
        w.end = bestStart + window;
        w.coveredSeconds = window;
        w.integral = best;
    }
    w.mean = static_cast<double>(w.integral / static_cast<long double>(w.coveredSeconds));

    // The samples that hold at the window's first and last instants.
    auto holdingAt = [&](RecordSeconds x) { // last step with b[k] <= x < b[k+1]
        auto it = std::upper_bound(b.begin(), b.begin() + std::ptrdiff_t(n), x);
        return int(it - b.begin()) - 1;
    };
    w.firstSample = holdingAt(w.start);
    w.lastSample = holdingAt(w.end - 1);
    return w;
}
