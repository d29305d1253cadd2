#pragma once
// Hands decoded messages from the receive thread to the thread that delivers
// them; the queue owns what it holds.

#include <deque>
#include <mutex>

class CMsg;

class CMsgQueue {
public:
    CMsgQueue() = default;
    CMsgQueue(const CMsgQueue&) = delete;
    CMsgQueue& operator=(const CMsgQueue&) = delete;
    ~CMsgQueue() { Clear(); }

    void Push(CMsg* msg);
    // Null when empty; the caller owns the message.
    CMsg* Pop();
    // Deletes every queued message.
    void Clear();
    bool IsEmpty() const;

private:
    mutable std::mutex m_lock;
    std::deque<CMsg*> m_queue;
};
