#include "net/CMsgQueue.h"

#include "net/CMsg.h"

void CMsgQueue::Push(CMsg* msg) {
    std::lock_guard lock(m_lock);
    m_queue.push_back(msg);
}

CMsg* CMsgQueue::Pop() {
    std::lock_guard lock(m_lock);
    if (m_queue.empty())
        return nullptr;
    CMsg* msg = m_queue.front();
    m_queue.pop_front();
    return msg;
}

void CMsgQueue::Clear() {
    std::deque<CMsg*> doomed;
    {
        std::lock_guard lock(m_lock);
        doomed.swap(m_queue);
    }
    // Deleted outside the lock: a destructor must not run under it.
    for (CMsg* msg : doomed)
        delete msg;
}

bool CMsgQueue::IsEmpty() const {
    std::lock_guard lock(m_lock);
    return m_queue.empty();
}
