#pragma once
// The accessibility reader on a thread of its own, in a COM apartment of its own (the
// multithreaded one: it serves nothing and pumps no messages). It searches and re-reads the
// browsers' trees (ScanAccessibleBars over MsaaTree) one pass per request and publishes each
// pass's verdict.
//
// A call into a browser that never returns holds up this thread alone: the worker stays in
// the call until the browser answers or its process ends (which fails the call), and the
// source misses meanwhile. There is never more than this one worker, so never more than one
// stuck. Calls are not cancelled: CoCancelCall must be made from another thread, and under
// Wine it does not return while the call it cancels runs, which would move the hang to the
// caller.
//
// Every COM object the worker holds is released on its own thread, before it leaves its
// apartment. Stop, which the program calls before its own COM ends, gives the worker a
// moment to do so; a worker still stuck in a call is left behind, holding only its own
// objects in its own apartment, and ends with the process.
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "watch/accessible_reader.h"

// How long Stop waits for the worker to let go of its objects and its apartment.
inline constexpr std::uint64_t kWorkerStopWaitMs = 300;

class AccessibleWorker final : public AccessibleReader {
  public:
    AccessibleWorker();
    AccessibleWorker(const AccessibleWorker&) = delete;
    AccessibleWorker& operator=(const AccessibleWorker&) = delete;
    ~AccessibleWorker();

    // The thread starts with the first non-empty request.
    void Request(WindowList windows) override;
    AccessibleVerdict Latest() override;
    // Whether a pass is under way (tests).
    bool busy();

    // Ends the worker (later requests are dropped). Returns when it has ended, or after
    // kWorkerStopWaitMs with the worker left behind.
    void Stop();
    // Tests: call is made on the worker's thread after it has let go of every object and
    // just before it leaves its apartment. Only before the thread starts.
    void OnLeavingApartment(std::function<void()> call);
    // Whether the thread has ever started (tests and the benchmark).
    bool started() const { return m_started; }

  private:
    struct Shared;
    // The worker's body; shared refers to the thread's own copy of the pointer, which keeps
    // the state alive for as long as the thread runs, even after the worker is abandoned.
    static void Run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_started = false;
};
