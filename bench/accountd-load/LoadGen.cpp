// warrow-loadgen: keeps N connections open against warrow-accountd and logs
// in over them, reporting logins per second and latency percentiles.
//
//   closed loop (default): every connection always has one login in flight,
//     which measures the server's capacity (latency then follows from
//     Little's law: connections / throughput);
//   --rate R: R logins per second spread over the connections, latency
//     counted from when each login was due, so a slow server cannot hide
//     its queueing (no coordinated omission).
//
// Only loopback addresses are used; the run ends by itself after --seconds.

#include "net/CMsg.h"
#include "net/FrameCutter.h"
#include "net/PasswordDigest.h"
#include "net/UserLoginMessage.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace user_login_message;
using Clock = std::chrono::steady_clock;

namespace {

struct tagOptions {
    unsigned short port = 0;
    int connections = 1000;
    double seconds = 5;
    double warmup = 1;
    double rate = 0; // 0: closed loop
};

struct tagConn {
    int fd = -1;
    bool busy = false;
    Clock::time_point due; // when the login in flight was due
    std::vector<unsigned char> in;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "warrow-loadgen: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

int ConnectLoopback(unsigned short port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        Fail("connect");
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

// One frame, read blocking: used once, to register the account the run logs in with.
std::vector<unsigned char> ReadFrame(int fd) {
    std::vector<unsigned char> in;
    unsigned char buf[512];
    for (;;) {
        const wire::tagFrameCut cut = wire::CutFrame(in.data(), in.size());
        if (cut.state == wire::enFrameState::Complete)
            return {in.begin(), in.begin() + cut.length};
        if (cut.state == wire::enFrameState::Bad)
            Fail("bad answer");
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            Fail("register");
        in.insert(in.end(), buf, buf + n);
    }
}

std::vector<unsigned char> LoginFrame(unsigned short port) {
    const int fd = ConnectLoopback(port);
    CMSG_C2S_REGISTER_REQUEST reg;
    reg.Pack();
    if (send(fd, reg.GetData(), reg.GetSize(), MSG_NOSIGNAL) != static_cast<ssize_t>(reg.GetSize()))
        Fail("register");
    const std::vector<unsigned char> frame = ReadFrame(fd);
    close(fd);
    CMSG_S2C_REGISTER_ANSWER answer;
    answer.Unpack(frame.data(), static_cast<unsigned short>(frame.size()), nullptr);
    CMSG_C2S_LOGIN_REQUEST login;
    login.Body().nAccount = answer.Body().nAccount;
    wire::PasswordDigest(answer.Body().strPassword, login.Body().strPassword);
    login.Body().nVersion = MakeVersion(0xFFFF, 0, 0, 0);
    login.Pack();
    return {login.GetData(), login.GetData() + login.GetSize()};
}

bool ParseArgs(int argc, char** argv, tagOptions& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i];
        const double v = std::atof(argv[i + 1]);
        if (k == "--port")
            o.port = static_cast<unsigned short>(v);
        else if (k == "--connections")
            o.connections = static_cast<int>(v);
        else if (k == "--seconds")
            o.seconds = v;
        else if (k == "--warmup")
            o.warmup = v;
        else if (k == "--rate")
            o.rate = v;
        else
            return false;
    }
    return argc % 2 == 1 && o.port != 0 && o.connections > 0 && o.seconds > 0 && o.seconds <= 600;
}

double Percentile(std::vector<double>& v, double p) {
    if (v.empty())
        return 0;
    const auto k = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(k), v.end());
    return v[k];
}

} // namespace

int main(int argc, char** argv) {
    tagOptions o;
    if (!ParseArgs(argc, argv, o)) {
        std::fputs("usage: warrow-loadgen --port N [--connections N] [--seconds S] [--warmup S] [--rate R]\n",
                   stderr);
        return 2;
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);

    const std::vector<unsigned char> request = LoginFrame(o.port);
    const int epoll = epoll_create1(EPOLL_CLOEXEC);
    std::vector<tagConn> conns(static_cast<std::size_t>(o.connections));
    for (std::size_t i = 0; i < conns.size(); ++i) {
        conns[i].fd = ConnectLoopback(o.port);
        fcntl(conns[i].fd, F_SETFL, O_NONBLOCK);
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u64 = i;
        epoll_ctl(epoll, EPOLL_CTL_ADD, conns[i].fd, &ev);
    }

    const auto start = Clock::now();
    const auto measureFrom =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.warmup));
    const auto end =
        measureFrom + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.seconds));
    std::vector<double> latencies;
    latencies.reserve(1 << 22);
    std::size_t refused = 0;
    std::deque<std::size_t> idle;
    std::deque<Clock::time_point> due; // paced logins waiting for an idle connection
    double scheduled = 0;

    const auto issue = [&](std::size_t i, Clock::time_point when) {
        tagConn& c = conns[i];
        if (send(c.fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            Fail("send");
        c.busy = true;
        c.due = when;
    };
    for (std::size_t i = 0; i < conns.size(); ++i) {
        if (o.rate == 0)
            issue(i, Clock::now());
        else
            idle.push_back(i);
    }

    epoll_event events[1024];
    unsigned char buf[16384];
    for (;;) {
        auto now = Clock::now();
        if (now >= end)
            break;
        if (o.rate > 0) {
            const double elapsed = std::chrono::duration<double>(now - start).count();
            while (scheduled < elapsed * o.rate) {
                due.push_back(start + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(scheduled / o.rate)));
                scheduled += 1;
            }
            while (!due.empty() && !idle.empty()) {
                issue(idle.front(), due.front());
                idle.pop_front();
                due.pop_front();
            }
        }
        const int n = epoll_wait(epoll, events, 1024, o.rate > 0 ? 1 : 100);
        now = Clock::now();
        for (int e = 0; e < n; ++e) {
            tagConn& c = conns[events[e].data.u64];
            const ssize_t got = recv(c.fd, buf, sizeof buf, 0);
            if (got <= 0) {
                if (got < 0 && errno == EAGAIN)
                    continue;
                Fail("the server closed a connection");
            }
            c.in.insert(c.in.end(), buf, buf + got);
            std::size_t offset = 0;
            for (;;) {
                const wire::tagFrameCut cut = wire::CutFrame(c.in.data() + offset, c.in.size() - offset);
                if (cut.state != wire::enFrameState::Complete)
                    break;
                if (cut.length < 7 || c.in[offset + 3] != LOGIN_ACCEPTED)
                    ++refused;
                offset += cut.length;
                if (c.due >= measureFrom)
                    latencies.push_back(std::chrono::duration<double, std::milli>(now - c.due).count());
                c.busy = false;
                if (o.rate == 0)
                    issue(events[e].data.u64, now);
                else
                    idle.push_back(events[e].data.u64);
            }
            c.in.erase(c.in.begin(), c.in.begin() + static_cast<std::ptrdiff_t>(offset));
        }
    }

    const double p50 = Percentile(latencies, 0.50);
    const double p99 = Percentile(latencies, 0.99);
    const double max = latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
    std::printf("connections=%d mode=%s seconds=%.1f logins=%zu logins_per_s=%.0f p50_ms=%.3f p99_ms=%.3f "
                "max_ms=%.3f refused=%zu unserved=%zu\n",
                o.connections, o.rate > 0 ? "paced" : "closed", o.seconds, latencies.size(),
                static_cast<double>(latencies.size()) / o.seconds, p50, p99, max, refused, due.size());
    for (tagConn& c : conns)
        close(c.fd);
    close(epoll);
    return refused == 0 ? 0 : 1;
}
