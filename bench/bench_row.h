// The one line per measured path that bench/run-all.sh collects into its table, beside the
// program's own human-readable lines:
//   ROW <tab> path <tab> figure <tab> unit <tab> limit <tab> ratio <tab> peer
// The limit is what the machine does with the same data and no application logic, measured in
// the same run. The ratio always reads "how many times worse than the limit": our time / its
// time for durations and sizes, its rate / our rate for rates; 1 is the limit itself.
#ifndef QETO_BENCH_ROW_H
#define QETO_BENCH_ROW_H

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

enum class Better { Lower, Higher };

inline double ratioTo(double figure, double limit, Better better) {
    if (figure <= 0 || limit <= 0) return 0;
    return better == Better::Lower ? figure / limit : limit / figure;
}

// peer: the naive way of doing the same, as a short text with its unit, or empty.
inline void printRow(const char *path, double figure, const char *unit, double limit, Better better,
                     const std::string &peer = std::string()) {
    std::printf("ROW\t%s\t%.6g\t%s\t%.6g\t%.3f\t%s\n", path, figure, unit, limit, ratioTo(figure, limit, better),
                peer.empty() ? "-" : peer.c_str());
    std::fflush(stdout);
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace bench

#endif  // QETO_BENCH_ROW_H
