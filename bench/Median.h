#pragma once
// The median of a benchmark's repeated measurements: the middle one, which a change of
// the machine's load during one run does not move.
#include <algorithm>
#include <vector>

namespace veskin::bench {

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace veskin::bench
