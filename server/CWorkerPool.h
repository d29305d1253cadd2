#pragma once
// A few threads that run the servers' slow work (database calls, expanding
// compressed bodies, writing and syncing files) away from the event loop.
// Each job learns which thread runs it, so per-thread resources (one
// database connection each) need no lock. Jobs not started when the pool
// ends are dropped.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CWorkerPool {
public:
    using Job = std::function<void(unsigned worker)>;

    explicit CWorkerPool(unsigned threads);
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;
    ~CWorkerPool();

    void Submit(Job job);

private:
    void Work(unsigned worker);

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_bStopping = false;
    std::vector<std::thread> m_threads;
};
