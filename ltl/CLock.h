#pragma once

#include <mutex>

namespace ltl {

// A recursive lock taken with Enter/Leave around a guarded block; a thread
// that already holds it may take it again, as the shell's nested calls do.
class CLock {
public:
    CLock() = default;
    virtual ~CLock() = default;
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }

    // Standard Lockable names, so std::lock_guard<CLock> works.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex m_mutex;
};

// Holds a CLock for the life of the scope.
class CAutoLock {
public:
    explicit CAutoLock(CLock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~CAutoLock() { m_lock.Leave(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CLock& m_lock;
};

} // namespace ltl
