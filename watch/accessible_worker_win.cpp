#include "watch/accessible_worker_win.h"

#include <windows.h>

#include <objbase.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "common/handles_win.h"
#include "watch/accessible_bar_win.h"

struct AccessibleWorker::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<WindowList> request;  // the next pass's windows
    bool stopping = false;
    // Set when the worker has let go of everything and left its apartment.
    UniqueHandle ended{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bool busy = false;  // a pass is under way
    AccessibleVerdict verdict;
    std::function<void()> leavingApartment;  // set before the thread starts
};

AccessibleWorker::AccessibleWorker() : m_shared(std::make_shared<Shared>()) {}

AccessibleWorker::~AccessibleWorker() {
    Stop();
}

void AccessibleWorker::Request(WindowList windows) {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (m_shared->stopping || (!m_started && windows.empty())) {
            return;
        }
        m_shared->request = std::move(windows);
    }
    m_shared->changed.notify_one();
    if (!m_started) {
        // No exception leaves for the tick: a thread that cannot be had is a source that
        // misses, and the next request tries again.
        try {
            m_thread = std::thread(Run, m_shared);
            m_started = true;
        } catch (const std::system_error&) {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            m_shared->request.reset();
        }
    }
}

void AccessibleWorker::OnLeavingApartment(std::function<void()> call) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (!m_started) {
        m_shared->leavingApartment = std::move(call);
    }
}

AccessibleVerdict AccessibleWorker::Latest() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->verdict;
}

bool AccessibleWorker::busy() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->busy;
}

void AccessibleWorker::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
        m_shared->request.reset();
    }
    m_shared->changed.notify_all();
    if (!m_thread.joinable()) {
        return;
    }
    if (WaitForSingleObject(m_shared->ended.get(), static_cast<DWORD>(kWorkerStopWaitMs)) ==
        WAIT_OBJECT_0) {
        m_thread.join();
    } else {
        // Stuck in a call: it keeps the shared state alive and ends with the process.
        m_thread.detach();
    }
}

void AccessibleWorker::Run(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(com)) {
        {
            // Everything the passes hold lives in this scope: released here, in this
            // apartment, before it ends.
            MsaaTree tree;
            SystemClock clock;
            AccessibleBarState state;
            for (;;) {
                std::optional<WindowList> windows;
                std::uint64_t began = 0;
                {
                    std::unique_lock<std::mutex> lock(s.mutex);
                    s.changed.wait(lock, [&] { return s.stopping || s.request.has_value(); });
                    if (s.stopping) {
                        break;
                    }
                    windows = std::move(s.request);
                    s.request.reset();
                    began = clock.NowMs();
                    s.busy = true;
                }
                AccessibleVerdict verdict;
                verdict.hit = ScanAccessibleBars(*windows, tree, clock, state, verdict.article);
                verdict.taken = true;
                verdict.takenMs = began;
                std::lock_guard<std::mutex> lock(s.mutex);
                s.verdict = verdict;
                s.busy = false;
            }
        }
        if (s.leavingApartment) {
            s.leavingApartment();
        }
        CoUninitialize();
    }
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.busy = false;
    }
    SetEvent(s.ended.get());
}
