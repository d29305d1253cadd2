#include "server/CWorkerPool.h"

CWorkerPool::CWorkerPool(unsigned threads) {
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back([this, i] { Work(i); });
}

CWorkerPool::~CWorkerPool() {
    {
        std::lock_guard lock(m_lock);
        m_bStopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (auto& t : m_threads)
        t.join();
}

void CWorkerPool::Submit(Job job) {
    {
        std::lock_guard lock(m_lock);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void CWorkerPool::Work(unsigned worker) {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
            if (m_bStopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job(worker);
    }
}
