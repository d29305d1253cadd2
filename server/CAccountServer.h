#pragma once
// The account server: logs clients in, hands out new accounts and stores
// help requests, speaking the user_login_message family. Each worker has
// its own store connection; the limits below hold per server process.

#include "server/CFrameServer.h"
#include "server/CRateLimiter.h"
#include "server/IAccountStore.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace user_login_message {
class CMSG_C2S_LOGIN_REQUEST;
class CMSG_C2S_HELP_REQUEST;
} // namespace user_login_message

// "a_b_c_d" with four numbers of 0..65535; false for anything else.
bool ParseVersionText(const std::string& text, std::uint64_t& version);

struct tagAccountLimits {
    double registrationsPerMinute = 2; // per address, after a burst of 10
    double registrationBurst = 10;
    double helpPerMinute = 2; // per address, after a burst of 5
    double helpBurst = 5;
    double failuresPerMinute = 5; // wrong logins per account, after a burst of 10; per address ten times that
    double failureBurst = 10;
    std::uint64_t maxAccounts = 10'000'000;
    std::size_t maxMail = 256; // bytes of UTF-8
    std::size_t maxSystem = 512;
    std::size_t maxQuestion = 8192;
};

class CAccountServer : public CFrameServer {
public:
    // One store per worker: stores.size() is the worker count.
    CAccountServer(std::vector<std::unique_ptr<IAccountStore>> stores, std::uint64_t currentVersion,
                   tagServerLimits limits, tagAccountLimits accountLimits = {});

protected:
    const char* Screen(const unsigned char* frame, std::uint16_t length) override;
    tagOutcome Handle(unsigned worker, const tagRequest& request) override;

private:
    tagOutcome OnLogin(IAccountStore& store, const tagRequest& request,
                       const user_login_message::CMSG_C2S_LOGIN_REQUEST& login);
    tagOutcome OnRegister(unsigned worker, const tagRequest& request);
    tagOutcome OnHelp(IAccountStore& store, const tagRequest& request,
                      const user_login_message::CMSG_C2S_HELP_REQUEST& help);
    // The store's fault, logged; the client is closed without an answer.
    tagOutcome StoreFault(IAccountStore& store, const tagRequest& request, const char* what);

    // Counting a large table takes long: each worker counts at most every
    // 10 s and adds its own registrations meanwhile, so the total cap may be
    // passed by what the other workers and servers register in those seconds.
    struct tagCount {
        std::uint64_t accounts = 0;
        std::chrono::steady_clock::time_point counted{};
        bool known = false;
    };

    std::vector<std::unique_ptr<IAccountStore>> m_stores;
    std::vector<tagCount> m_counts; // by worker
    std::uint64_t m_nCurrentVersion;
    tagAccountLimits m_accountLimits;
    CRateLimiter m_registrations;
    CRateLimiter m_help;
    CRateLimiter m_accountFailures;
    CRateLimiter m_addressFailures;
};
