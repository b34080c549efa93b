#pragma once
// The timing every benchmark shares: best per-call times of a piece of work and of its
// floor, measured in alternating rounds so that other load on the machine falls on both
// alike.
#include <algorithm>
#include <chrono>
#include <utility>

// Best per-call times of a and b in microseconds over rounds rounds of reps calls each.
template <class A, class B>
std::pair<double, double> BestMicroseconds(int rounds, int reps, A&& a, B&& b) {
    using Clock = std::chrono::steady_clock;
    auto time = [&](auto&& f) {
        const auto start = Clock::now();
        for (int i = 0; i < reps; ++i) {
            f();
        }
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / reps;
    };
    double bestA = 1e300, bestB = 1e300;
    for (int round = 0; round < rounds; ++round) {
        bestA = std::min(bestA, time(a));
        bestB = std::min(bestB, time(b));
    }
    return {bestA, bestB};
}
