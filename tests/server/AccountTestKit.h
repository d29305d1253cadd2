#pragma once
// What the account server tests share: a client that collects answers, raw
// frames, many registrations at once, and a look into either store.

#include "net/CMsg.h"
#include "net/CNetClientLogin.h"
#include "net/FrameCutter.h"
#include "net/PasswordDigest.h"
#include "server/IAccountStore.h"
#include "tests/server/ServerProcess.h"

#define SQLITE_HAS_CODEC 1
#include <libpq-fe.h>
#include <sqlite3.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace account_test {

using namespace user_login_message;
using Bytes = std::vector<unsigned char>;

// Collects answers on the test's thread, woken by the receive thread.
class CAnswers : public ILoginMessageHandler {
public:
    explicit CAnswers(CNetClientLogin& client) : m_client(client) {
        client.SetHandler(this);
        client.SetWakeup([this] {
            std::lock_guard lock(m_lock);
            m_woken = true;
            m_cv.notify_all();
        });
    }
    void OnLoginAnswer(CMSG_S2C_LOGIN_ANSWER& msg) override { logins.push_back(msg.Body()); }
    void OnRegisterAnswer(CMSG_S2C_REGISTER_ANSWER& msg) override { registers.push_back(msg.Body()); }
    void OnHelpAnswer(CMSG_S2C_HELP_ANSWER&) override { ++helps; }

    // Delivers until `count` answers of all kinds have arrived.
    bool WaitFor(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (Total() < count) {
            std::unique_lock lock(m_lock);
            if (!m_cv.wait_until(lock, deadline, [this] { return m_woken; }))
                return false;
            m_woken = false;
            lock.unlock();
            m_client.ProcessMessages();
        }
        return true;
    }

    std::vector<tagLoginAnswer> logins;
    std::vector<tagAccountInfo> registers;
    int helps = 0;

private:
    std::size_t Total() const { return logins.size() + registers.size() + static_cast<std::size_t>(helps); }

    CNetClientLogin& m_client;
    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_woken = false;
};

inline Bytes Packed(CMsg& msg) {
    msg.Pack();
    return {msg.GetData(), msg.GetData() + msg.GetSize()};
}

inline Bytes LoginFrame(std::uint32_t account, const std::string& digest, std::uint64_t version = 0) {
    CMSG_C2S_LOGIN_REQUEST login;
    login.Body() = {account, digest, version};
    return Packed(login);
}

inline std::string DigestOf(const std::string& password) {
    std::string digest;
    wire::PasswordDigest(password, digest);
    return digest;
}

// Cuts whole frames from a raw client until `count` arrived or the server closed.
inline std::vector<Bytes> ReceiveFrames(CRawClient& client, std::size_t count) {
    std::vector<Bytes> frames;
    Bytes in;
    while (frames.size() < count) {
        wire::tagFrameCut cut = wire::CutFrame(in.data(), in.size());
        if (cut.state == wire::enFrameState::Complete) {
            frames.emplace_back(in.begin(), in.begin() + cut.length);
            in.erase(in.begin(), in.begin() + cut.length);
            continue;
        }
        const Bytes more = client.Receive(1); // whatever the next read brings
        if (more.empty())
            break;
        in.insert(in.end(), more.begin(), more.end());
    }
    return frames;
}

// `count` clients register at once on one server; the accounts that came back.
inline std::vector<tagAccountInfo> RegisterAtOnce(unsigned short port, std::size_t count) {
    std::vector<std::unique_ptr<CRawClient>> clients;
    for (std::size_t i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<CRawClient>(port));
        clients.back()->Send({0x03, 0x00, 0x02});
    }
    std::vector<tagAccountInfo> accounts;
    for (auto& client : clients) {
        const auto frames = ReceiveFrames(*client, 1);
        if (frames.size() != 1 || frames[0][2] != CMSG_S2C_REGISTER_ANSWER::kType)
            continue;
        CMSG_S2C_REGISTER_ANSWER answer;
        answer.Unpack(frames[0].data(), static_cast<unsigned short>(frames[0].size()), nullptr);
        accounts.push_back(answer.Body());
    }
    return accounts;
}

// The first column of every row, one line each, from either kind of store.
inline std::string Query(const std::string& db, const std::string& sql) {
    std::string rows;
    if (IsDatabaseUri(db)) {
        PGconn* conn = PQconnectdb(db.c_str());
        PGresult* result = PQexec(conn, sql.c_str());
        for (int r = 0; PQresultStatus(result) == PGRES_TUPLES_OK && r < PQntuples(result); ++r)
            rows += std::string(PQgetvalue(result, r, 0)) + "\n";
        PQclear(result);
        PQfinish(conn);
        return rows;
    }
    sqlite3* handle = nullptr;
    sqlite3_open(db.c_str(), &handle);
    sqlite3_exec(
        handle, sql.c_str(),
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) += std::string(values[0] != nullptr ? values[0] : "NULL") + "\n";
            return 0;
        },
        &rows, nullptr);
    sqlite3_close(handle);
    return rows;
}

// Every file under `folder`, whole, as one text to search in.
inline std::string AllBytesUnder(const std::filesystem::path& folder) {
    std::string all;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        all += bytes.str();
    }
    return all;
}

} // namespace account_test
