#pragma once
// Times steps side by side: every round runs each step once, in turn, so that all of them see
// the same state of the machine. Figures are medians; a ratio is the median of the rounds' own
// ratios, which holds even when the machine's speed shifts between rounds (it does under Wine
// on a shared machine: file and registry calls go through the Wine server process).

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace vtrl::bench {

inline double MedianOf(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Timings {
    std::vector<std::vector<double>> milliseconds; // [step][round]

    double Median(std::size_t step) const { return MedianOf(milliseconds[step]); }
    double Ratio(std::size_t step, std::size_t beside) const {
        std::vector<double> ratios;
        for (std::size_t round = 0; round < milliseconds[step].size(); ++round) {
            ratios.push_back(milliseconds[step][round] / milliseconds[beside][round]);
        }
        return MedianOf(std::move(ratios));
    }
};

inline Timings Alternate(int rounds, const std::vector<std::function<void()>>& steps) {
    using Clock = std::chrono::steady_clock;
    Timings timings{std::vector<std::vector<double>>(steps.size())};
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t step = 0; step < steps.size(); ++step) {
            const auto start = Clock::now();
            steps[step]();
            timings.milliseconds[step].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    return timings;
}

} // namespace vtrl::bench
