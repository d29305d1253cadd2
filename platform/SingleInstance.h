#pragma once

#include "platform/ServiceChannel.h"

#include <string>
#include <sys/types.h>

namespace platform {

// A program that runs once per user: it holds a lock named after it for the
// whole life of the process (released by the kernel however the process
// ends), and listens on a mailbox named after its window title, where a
// second start can post it a message such as "WM_QUIT 0".
class SingleInstance {
public:
    explicit SingleInstance(std::string lockName) : m_lockName(std::move(lockName)) {}
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process holds the lock (or the lock cannot be made).
    bool Acquire();
    // Opens the mailbox for `title`; its descriptor becomes readable when a message waits.
    bool Listen(const std::string& title, std::string* error = nullptr);
    ServiceSocket& Mailbox() { return m_mailbox; }
    // One waiting message with the user id of the process that sent it, as
    // the kernel vouches for it (SCM_CREDENTIALS); false when none waits.
    bool ReceiveFrom(std::string& datagram, uid_t& sender);

private:
    std::string m_lockName;
    int m_lockFd = -1;
    ServiceSocket m_mailbox;
};

// Who may ask a running instance to end: root, and the user the service
// runs as (the owner of its socket) when that is not the caller's own user:
// the person at the computer, child or parent, cannot end it this way.
bool MayRequestQuit(uid_t sender);

// Where the instance titled `title` listens.
std::string InstanceMailboxPath(const std::string& title);

// Posts "<name> <wParam>" to the running instance titled `title`; false when none listens.
bool PostToInstance(const std::string& title, const char* name, long wParam, std::string* error = nullptr);

} // namespace platform
