#pragma once
// The program's one rule for exceptions. Nothing in it throws on purpose; the standard
// containers throw std::bad_alloc when memory runs out. Such an exception never crosses a
// window or dialog procedure, an enumeration callback or a C library's callback: each of
// those runs its body through CatchAtBoundary, which answers a safe value instead. The few
// places that must say something of their own about missing memory (a message the user
// reads, a clip that stays silent) catch it themselves, right there.
#include <utility>

template <class Result, class Body>
Result CatchAtBoundary(Result failed, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failed;
    }
}
