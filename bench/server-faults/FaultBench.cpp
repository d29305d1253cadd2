// warrow-faultbench: hostile clients against a Warrow server on loopback.
//
//   reject --port N [--count K]
//       sends the 14-byte compressed login frame that announces 1 MiB, K times,
//       each on a new connection, and reports how long the server takes to
//       answer or close (median and worst);
//   mixed --port N [--connections K] [--bad-share 0.1]
//       K connections at once: the bad share sends malformed frames (bad length
//       words, truncated blocks, 1 MiB announcements, random bytes), the rest a
//       valid login; reports how many valid clients were answered;
//   stall --port N [--seconds S]
//       one client streams 1 MiB-announcing frames while another logs in
//       every 200 ms; reports the honest client's worst answer time;
//   slow --port N [--connections K] [--seconds S]
//       K clients send a login one byte a second and K clients send logins
//       without ever reading an answer, while an honest client logs in every
//       200 ms; reports the honest client's answer times;
//   reports --port N --store DIR [--count K]
//       K report uploads at once, each with its own 1 MiB log (compressed),
//       then checks the store: every report whole, none half written.
//
// Only loopback addresses; every run ends by itself.

#include "net/CMsg.h"
#include "net/FrameCutter.h"
#include "net/PasswordDigest.h"
#include "net/UserLoginMessage.h"
#include "net/UserReportMessage.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace user_login_message;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

namespace {

// Login type, compressed, 1 MiB announced, seven bytes of code bits.
const Bytes kBomb = {0x0E, 0x80, 0x00, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0};

int ConnectLoopback(unsigned short port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

bool SendAll(int fd, const Bytes& bytes) {
    return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// Reads until one whole frame arrived (true) or the server closed or 30 s passed (false).
bool ReadFrame(int fd, Bytes& frame) {
    Bytes in;
    unsigned char buf[4096];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 30000) == 1) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        in.insert(in.end(), buf, buf + n);
        const wire::tagFrameCut cut = wire::CutFrame(in.data(), in.size());
        if (cut.state == wire::enFrameState::Complete) {
            frame.assign(in.begin(), in.begin() + cut.length);
            return true;
        }
    }
    return false;
}

Bytes Packed(CMsg& msg) {
    msg.Pack();
    return {msg.GetData(), msg.GetData() + msg.GetSize()};
}

Bytes HonestLogin(unsigned short port) {
    const int fd = ConnectLoopback(port);
    CMSG_C2S_REGISTER_REQUEST reg;
    Bytes frame;
    if (fd < 0 || !SendAll(fd, Packed(reg)) || !ReadFrame(fd, frame)) {
        std::fputs("warrow-faultbench: cannot register an account\n", stderr);
        std::exit(1);
    }
    close(fd);
    CMSG_S2C_REGISTER_ANSWER answer;
    answer.Unpack(frame.data(), static_cast<unsigned short>(frame.size()), nullptr);
    CMSG_C2S_LOGIN_REQUEST login;
    login.Body().nAccount = answer.Body().nAccount;
    wire::PasswordDigest(answer.Body().strPassword, login.Body().strPassword);
    return Packed(login);
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

long PeakRssKiB(pid_t pid) {
    if (pid <= 0)
        return -1;
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (f == nullptr)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    std::fclose(f);
    return kib;
}

int Reject(unsigned short port, int count) {
    std::vector<double> times;
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        const int fd = ConnectLoopback(port);
        if (fd < 0)
            return 1;
        const auto start = Clock::now();
        Bytes frame;
        SendAll(fd, kBomb);
        answered += ReadFrame(fd, frame) ? 1 : 0;
        times.push_back(Ms(Clock::now() - start));
        close(fd);
    }
    std::printf(
        "reject: %d frames, %d answered instead of closed, median %.3f ms, p99 %.3f ms, worst %.3f ms\n",
        count, answered, Percentile(times, 0.5), Percentile(times, 0.99), Percentile(times, 1.0));
    return 0;
}

Bytes MalformedFrame(std::mt19937& random) {
    switch (random() % 5) {
    case 0: // length word below the header
        return {0x02, 0x00, 0x00};
    case 1: // truncated LZARI block
        return {0x06, 0x80, 0x00, 0x10, 0x00};
    case 2:
        return kBomb;
    case 3: { // a length word promising more than follows, then silence
        return {0x30, 0x00, 0x00, 0x01};
    }
    default: {
        Bytes noise(1 + random() % 200);
        for (auto& b : noise)
            b = static_cast<unsigned char>(random());
        return noise;
    }
    }
}

int Mixed(unsigned short port, int connections, double badShare, pid_t serverPid) {
    const Bytes login = HonestLogin(port);
    std::mt19937 random(1);
    struct tagClient {
        int fd;
        bool bad;
    };
    std::vector<tagClient> clients;
    const auto start = Clock::now();
    for (int i = 0; i < connections; ++i) {
        const bool bad = static_cast<double>(random() % 1000) < badShare * 1000;
        const int fd = ConnectLoopback(port);
        if (fd >= 0)
            SendAll(fd, bad ? MalformedFrame(random) : login);
        clients.push_back({fd, bad});
    }
    int good = 0, answered = 0, refused = 0;
    std::vector<double> times;
    for (auto& c : clients) {
        if (c.bad) {
            if (c.fd >= 0)
                close(c.fd);
            continue;
        }
        ++good;
        Bytes frame;
        if (c.fd >= 0 && ReadFrame(c.fd, frame))
            ++answered;
        else
            ++refused;
        times.push_back(Ms(Clock::now() - start));
        if (c.fd >= 0)
            close(c.fd);
    }
    std::printf("mixed: %d connections, %d valid: %d answered, %d refused; all answered after %.0f ms; "
                "server peak RSS %ld KiB\n",
                connections, good, answered, refused, Percentile(times, 1.0), PeakRssKiB(serverPid));
    return refused == 0 ? 0 : 1;
}

int Stall(unsigned short port, double seconds) {
    const Bytes login = HonestLogin(port);
    bool stop = false;
    std::thread attacker([&] {
        Bytes burst;
        for (int i = 0; i < 2000; ++i)
            burst.insert(burst.end(), kBomb.begin(), kBomb.end());
        while (!stop) {
            const int fd = ConnectLoopback(port);
            if (fd < 0)
                continue;
            SendAll(fd, burst);
            Bytes frame;
            while (ReadFrame(fd, frame)) {
            }
            close(fd);
        }
    });
    std::vector<double> times;
    const auto end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < end) {
        const int fd = ConnectLoopback(port);
        const auto start = Clock::now();
        Bytes frame;
        const bool ok = fd >= 0 && SendAll(fd, login) && ReadFrame(fd, frame);
        times.push_back(ok ? Ms(Clock::now() - start) : 30000.0);
        if (fd >= 0)
            close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    stop = true;
    attacker.join();
    std::printf("stall: %zu honest logins beside a 28,000-byte burst client: median %.3f ms, worst %.3f ms\n",
                times.size(), Percentile(times, 0.5), Percentile(times, 1.0));
    return 0;
}

int Slow(unsigned short port, int connections, double seconds) {
    const Bytes login = HonestLogin(port);
    std::vector<int> slow, deaf;
    for (int i = 0; i < connections; ++i) {
        slow.push_back(ConnectLoopback(port));
        deaf.push_back(ConnectLoopback(port));
    }
    Bytes many;
    for (int i = 0; i < 400; ++i)
        many.insert(many.end(), login.begin(), login.end());
    std::vector<double> times;
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::size_t nextByte = 0;
    auto nextSecond = start;
    while (Clock::now() < end) {
        if (Clock::now() >= nextSecond) {
            for (int fd : slow)
                if (fd >= 0 && nextByte < login.size())
                    send(fd, &login[nextByte], 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            for (int fd : deaf)
                if (fd >= 0)
                    send(fd, many.data(), many.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            ++nextByte;
            nextSecond += std::chrono::seconds(1);
        }
        const int fd = ConnectLoopback(port);
        const auto t0 = Clock::now();
        Bytes frame;
        const bool ok = fd >= 0 && SendAll(fd, login) && ReadFrame(fd, frame);
        times.push_back(ok ? Ms(Clock::now() - t0) : 30000.0);
        if (fd >= 0)
            close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    int slowClosed = 0, deafClosed = 0;
    for (auto* list : {&slow, &deaf})
        for (int fd : *list) {
            // The server's close shows as a hang-up even with its answers still unread here.
            pollfd p{fd, POLLRDHUP, 0};
            const bool closed =
                fd < 0 || (poll(&p, 1, 0) == 1 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)));
            (list == &slow ? slowClosed : deafClosed) += closed ? 1 : 0;
            if (fd >= 0)
                close(fd);
        }
    std::printf(
        "slow: %d one-byte-a-second and %d never-reading clients for %.0f s: %zu honest logins, median "
        "%.3f ms, worst %.3f ms; closed by then: %d slow, %d never-reading\n",
        connections, connections, seconds, times.size(), Percentile(times, 0.5), Percentile(times, 1.0),
        slowClosed, deafClosed);
    return 0;
}

// A crash log of 1 MiB that compresses to a frame: lines that repeat with
// small changes, as stack dumps do, numbered by the client that sends it.
std::vector<unsigned char> CrashLog(int client) {
    std::string text = "client " + std::to_string(client) + "\n";
    const std::size_t size = (1u << 20) - 64; // the body with its other fields stays within 1 MiB
    for (int line = 0; text.size() < size; ++line) {
        const int n = line % 32;
        text += "frame " + std::to_string(n) + " WarrowTray!CDlgMain::OnTimer+0x" + std::to_string(n * 7) +
                " esp=0012f" + std::to_string(n * 3) + "00\n";
    }
    text.resize(size);
    return {text.begin(), text.end()};
}

int Reports(unsigned short port, int count, const std::string& store) {
    std::vector<int> fds;
    std::size_t frameBytes = 0;
    for (int i = 0; i < count; ++i) {
        user_report_message::CMSG_C2S_REPORT_REQUEST report;
        report.Body().nAccount = static_cast<std::uint32_t>(i);
        report.Body().strProgram = "WarrowTray";
        report.Body().pData = CrashLog(i);
        report.SetCompress(true);
        if (!report.Pack()) {
            std::fputs("warrow-faultbench: the crash log does not fit a frame\n", stderr);
            return 1;
        }
        frameBytes = report.GetSize();
        const int fd = ConnectLoopback(port);
        if (fd >= 0)
            SendAll(fd, {report.GetData(), report.GetData() + report.GetSize()});
        fds.push_back(fd);
    }
    int stored = 0, refused = 0, closed = 0;
    for (int fd : fds) {
        Bytes frame;
        if (fd >= 0 && ReadFrame(fd, frame) && frame.size() == 7)
            (frame[3] == 0 ? stored : refused) += 1;
        else
            ++closed;
        if (fd >= 0)
            close(fd);
    }
    // Every folder under its final name holds a whole report.
    int whole = 0, broken = 0, incoming = 0;
    for (const auto& entry : std::filesystem::directory_iterator(store)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".incoming-", 0) == 0) {
            ++incoming;
            continue;
        }
        std::ifstream in(entry.path() / "log", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string log = bytes.str();
        const int client = std::atoi(log.c_str() + 7);
        const auto expected = CrashLog(client);
        const bool ok = log.size() == expected.size() && std::equal(log.begin(), log.end(), expected.begin());
        (ok ? whole : broken) += 1;
    }
    std::printf("reports: %d uploads of 1 MiB logs (%zu-byte frames): %d stored, %d refused, %d closed "
                "unanswered; store: %d whole, %d broken, %d temporary left\n",
                count, frameBytes, stored, refused, closed, whole, broken, incoming);
    return broken == 0 && whole == stored ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(
            "usage: warrow-faultbench reject|mixed|stall|slow|reports --port N [--count K] [--connections K]"
            " [--bad-share F] [--seconds S] [--server-pid P] [--store DIR]\n",
            stderr);
        return 2;
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    const std::string mode = argv[1];
    unsigned short port = 0;
    int count = 200, connections = 5000;
    double badShare = 0.1, seconds = 10;
    pid_t serverPid = 0;
    std::string store;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string k = argv[i];
        const char* v = argv[i + 1];
        if (k == "--port")
            port = static_cast<unsigned short>(std::atoi(v));
        else if (k == "--count")
            count = std::atoi(v);
        else if (k == "--connections")
            connections = std::atoi(v);
        else if (k == "--bad-share")
            badShare = std::atof(v);
        else if (k == "--seconds")
            seconds = std::min(std::atof(v), 120.0);
        else if (k == "--store")
            store = v;
        else if (k == "--server-pid")
            serverPid = static_cast<pid_t>(std::atoi(v));
    }
    if (port == 0)
        return 2;
    if (mode == "reject")
        return Reject(port, count);
    if (mode == "mixed")
        return Mixed(port, connections, badShare, serverPid);
    if (mode == "stall")
        return Stall(port, seconds);
    if (mode == "slow")
        return Slow(port, std::min(connections, 2000), seconds);
    if (mode == "reports" && !store.empty())
        return Reports(port, count, store);
    return 2;
}
