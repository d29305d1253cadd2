#pragma once

#include "platform/DatagramSender.h"

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

// The service's message queue: a local datagram socket. Each datagram is one
// message, "<name> <wParam>" in ASCII, e.g. "WRM_CHANGESTYLE 1".
//
// Where the service listens: $WARROW_SERVICE_SOCKET when set; otherwise
// $XDG_RUNTIME_DIR/warrow-service.sock; root without XDG_RUNTIME_DIR uses
// /run/warrow/service.sock; anyone else /tmp/warrow-<uid>/service.sock.
std::string ServiceSocketPath();

// Where a sender looks for a service, in order: the override, its own runtime
// folder, the system service's /run paths (the current, then the older
// /run/warrow-service.sock), the /tmp fallback.
std::vector<std::string> ServiceSocketCandidates();

constexpr const char* kChangeStyleMessage = "WRM_CHANGESTYLE";
// The longest datagram the service reads: a request with its text (a
// counter store names every program the child used today).
constexpr std::size_t kMaxServiceRequest = 16384;

// Sends one message to the first candidate socket a service listens on.
// False with the reason when no service could be reached.
bool PostServiceMessage(const char* name, long wParam, std::string* error = nullptr);

// Sends one datagram to the first of `paths` where someone listens, with
// `descriptor` attached (SCM_RIGHTS) when it is one.
bool SendDatagram(const std::vector<std::string>& paths, const std::string& text,
                  std::string* error = nullptr, int descriptor = -1);

// The calling user's private runtime folder: $XDG_RUNTIME_DIR, else a private
// /tmp/warrow-<uid> (created when missing). Empty when neither can be had.
std::string UserRuntimeFolder();

// Splits a datagram into its name and wParam; false for anything malformed.
bool ParseServiceMessage(std::string_view datagram, std::string& name, long& wParam);

// The receiving end, owned by the service.
class ServiceSocket {
public:
    ServiceSocket() = default;
    ~ServiceSocket();
    ServiceSocket(const ServiceSocket&) = delete;
    ServiceSocket& operator=(const ServiceSocket&) = delete;

    // Binds `path`, replacing a stale socket file. Fails when another service
    // still listens there. Any local user may send (the parent console runs
    // as the person at the computer, the service as root).
    bool Open(const std::string& path, std::string* error = nullptr);
    void Close();
    int Descriptor() const { return m_fd; }
    // One pending datagram, without blocking; false when none is waiting.
    bool Receive(std::string& datagram);
    // The same with the sender's user and process as the kernel vouches for
    // them (SCM_CREDENTIALS); a datagram without them has the user -1.
    bool Receive(std::string& datagram, uid_t& senderUid, pid_t& senderPid);
    // The same for requests up to kMaxServiceRequest bytes, keeping the
    // sender's reply descriptor (the caller answers or drops it).
    bool Receive(std::string& datagram, DatagramSender& sender);

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace platform
