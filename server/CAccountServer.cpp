#include "server/CAccountServer.h"

#include "net/NetException.h"
#include "net/PasswordDigest.h"
#include "net/UserLoginMessage.h"
#include "net/WireFormat.h"
#include "server/TextEscape.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/random.h>

using namespace user_login_message;

namespace {

constexpr std::uint32_t kFirstAccount = 10000;   // five digits
constexpr std::uint32_t kLastAccount = 99999999; // eight digits
constexpr int kPasswordLength = 8;
// No characters that read alike (0/O, 1/l/I): the parent copies it by hand.
constexpr char kPasswordAlphabet[] = "abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
constexpr double kUnixEpochAsAutomationDate = 25569.0; // 1 January 1970 counted from 30 December 1899
constexpr std::chrono::seconds kRecount{10};

std::uint32_t RandomBelow(std::uint32_t bound) {
    // Rejection keeps the choice uniform.
    const std::uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
    for (;;) {
        std::uint32_t r = 0;
        if (getrandom(&r, sizeof r, 0) == static_cast<ssize_t>(sizeof r) && r < limit)
            return r % bound;
    }
}

std::string RandomPassword() {
    std::string password;
    for (int i = 0; i < kPasswordLength; ++i)
        password += kPasswordAlphabet[RandomBelow(sizeof kPasswordAlphabet - 1)];
    return password;
}

// Digests arrive as hex in either case; compared without an early exit.
bool SameDigest(const std::string& stored, const std::string& offered) {
    if (stored.size() != offered.size())
        return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < stored.size(); ++i)
        diff |= static_cast<unsigned char>(stored[i] ^ std::tolower(static_cast<unsigned char>(offered[i])));
    return diff == 0;
}

void FillAccount(tagAccountInfo& info, const tagAccountRecord& record) {
    info.nAccount = record.nAccount;
    info.strUserName = record.strUserName;
    info.nValue = 0;
    info.dtDate = record.dtDate;
    info.nValue64 = 0;
}

} // namespace

bool ParseVersionText(const std::string& text, std::uint64_t& version) {
    unsigned parts[4];
    int used = 0;
    if (std::sscanf(text.c_str(), "%5u_%5u_%5u_%5u%n", &parts[0], &parts[1], &parts[2], &parts[3], &used) !=
            4 ||
        static_cast<std::size_t>(used) != text.size())
        return false;
    for (unsigned p : parts)
        if (p > 0xFFFF)
            return false;
    version = MakeVersion(static_cast<std::uint16_t>(parts[0]), static_cast<std::uint16_t>(parts[1]),
                          static_cast<std::uint16_t>(parts[2]), static_cast<std::uint16_t>(parts[3]));
    return true;
}

CAccountServer::CAccountServer(std::vector<std::unique_ptr<IAccountStore>> stores,
                               std::uint64_t currentVersion, tagServerLimits limits,
                               tagAccountLimits accountLimits)
    : CFrameServer("warrow-accountd",
                   [&] {
                       limits.workers = static_cast<unsigned>(stores.size());
                       return limits;
                   }()),
      m_stores(std::move(stores)), m_counts(m_stores.size()), m_nCurrentVersion(currentVersion),
      m_accountLimits(accountLimits),
      m_registrations(accountLimits.registrationsPerMinute, accountLimits.registrationBurst),
      m_help(accountLimits.helpPerMinute, accountLimits.helpBurst),
      m_accountFailures(accountLimits.failuresPerMinute, accountLimits.failureBurst),
      m_addressFailures(accountLimits.failuresPerMinute * 10, accountLimits.failureBurst * 10) {}

// No request of the console needs compression, and expanding costs far more
// than the few bytes that announce it: compressed frames are refused here,
// before any work is spent on them.
const char* CAccountServer::Screen(const unsigned char* frame, std::uint16_t) {
    if (frame[1] & 0x80)
        return "compressed request refused";
    if (frame[2] != CMSG_C2S_LOGIN_REQUEST::kType && frame[2] != CMSG_C2S_REGISTER_REQUEST::kType &&
        frame[2] != CMSG_C2S_HELP_REQUEST::kType)
        return frame[2] <= CMSG_S2C_HELP_ANSWER::kType ? "an answer sent to the server"
                                                       : "unknown message type";
    return nullptr;
}

CFrameServer::tagOutcome CAccountServer::Handle(unsigned worker, const tagRequest& request) {
    std::unique_ptr<CMsg> msg(CreateLoginMessage(request.frame[2]));
    try {
        msg->Unpack(request.frame.data(), static_cast<unsigned short>(request.frame.size()), nullptr);
    } catch (const net_exception&) {
        return {{}, "malformed message"};
    }
    IAccountStore& store = *m_stores.at(worker);
    switch (msg->GetType()) {
    case CMSG_C2S_LOGIN_REQUEST::kType:
        return OnLogin(store, request, static_cast<const CMSG_C2S_LOGIN_REQUEST&>(*msg));
    case CMSG_C2S_REGISTER_REQUEST::kType:
        return OnRegister(worker, request);
    default:
        return OnHelp(store, request, static_cast<const CMSG_C2S_HELP_REQUEST&>(*msg));
    }
}

CFrameServer::tagOutcome CAccountServer::StoreFault(IAccountStore& store, const tagRequest& request,
                                                    const char* what) {
    Log("%s: %s: %s", request.peer.c_str(), what, EscapeControls(store.LastError()).c_str());
    return {{}, "database unavailable"};
}

// Wrong logins are throttled per account and per address; a throttled login
// is refused as a wrong one, without looking, so guessing learns nothing.
CFrameServer::tagOutcome CAccountServer::OnLogin(IAccountStore& store, const tagRequest& request,
                                                 const CMSG_C2S_LOGIN_REQUEST& login) {
    const tagLoginRequest& body = login.Body();
    const std::string accountKey = std::to_string(body.nAccount);
    CMSG_S2C_LOGIN_ANSWER answer;
    tagLoginAnswer& result = answer.Body();
    result.nResult = LOGIN_REFUSED;
    const bool throttled =
        !m_accountFailures.HasBudget(accountKey) || !m_addressFailures.HasBudget(request.host);
    std::optional<tagAccountRecord> account;
    if (!throttled && !store.Find(body.nAccount, account))
        return StoreFault(store, request, "login");
    if (account && SameDigest(account->strDigest, body.strPassword)) {
        result.nResult = body.nVersion < m_nCurrentVersion ? LOGIN_NEW_VERSION : LOGIN_ACCEPTED;
        FillAccount(result.account, *account);
    } else {
        const auto byAccount = m_accountFailures.Take(accountKey);
        const auto byAddress = m_addressFailures.Take(request.host);
        if (byAccount == CRateLimiter::enVerdict::FirstRefusal ||
            byAddress == CRateLimiter::enVerdict::FirstRefusal)
            Log("%s: wrong logins throttled (account %u)", request.peer.c_str(), body.nAccount);
    }
    tagOutcome outcome;
    if (!Answer(answer, outcome))
        return {{}, "answer could not be packed"};
    return outcome;
}

// The number is claimed by the store, so two servers on one database never
// hand out the same one. The plain password exists only in this answer: the
// store keeps its digest.
CFrameServer::tagOutcome CAccountServer::OnRegister(unsigned worker, const tagRequest& request) {
    IAccountStore& store = *m_stores.at(worker);
    tagCount& count = m_counts.at(worker);
    const auto verdict = m_registrations.Take(request.host);
    if (verdict != CRateLimiter::enVerdict::Allowed) {
        if (verdict == CRateLimiter::enVerdict::FirstRefusal)
            Log("%s: too many registrations from this address", request.peer.c_str());
        return {{}, "registration limit"};
    }
    const auto now = std::chrono::steady_clock::now();
    if (!count.known || now - count.counted > kRecount) {
        if (!store.Count(count.accounts))
            return StoreFault(store, request, "registration");
        count.counted = now;
        count.known = true;
    }
    const std::uint32_t span = kLastAccount - kFirstAccount + 1;
    // Half full is full enough: the random search for a free number stays short.
    if (count.accounts >= std::min<std::uint64_t>(m_accountLimits.maxAccounts, span / 2)) {
        Log("%s: no account numbers left to hand out (%llu accounts)", request.peer.c_str(),
            static_cast<unsigned long long>(count.accounts));
        return {{}, "no account numbers left"};
    }
    tagAccountRecord record;
    record.dtDate = static_cast<double>(std::time(nullptr)) / 86400.0 + kUnixEpochAsAutomationDate;
    const std::string password = RandomPassword();
    record.strDigest = wire::Md5Hex(password.data(), password.size());
    enAddResult added = enAddResult::Taken;
    for (int attempt = 0; attempt < 64 && added == enAddResult::Taken; ++attempt) {
        record.nAccount = kFirstAccount + RandomBelow(span);
        record.strUserName = std::to_string(record.nAccount);
        added = store.Add(record);
    }
    if (added == enAddResult::Failed)
        return StoreFault(store, request, "registration");
    if (added == enAddResult::Taken)
        return {{}, "no free account number found"};
    ++count.accounts;
    CMSG_S2C_REGISTER_ANSWER answer;
    FillAccount(answer.Body(), record);
    answer.Body().strPassword = password;
    tagOutcome outcome;
    if (!Answer(answer, outcome))
        return {{}, "answer could not be packed"};
    Log("%s: registered account %u", request.peer.c_str(), record.nAccount);
    return outcome;
}

CFrameServer::tagOutcome CAccountServer::OnHelp(IAccountStore& store, const tagRequest& request,
                                                const CMSG_C2S_HELP_REQUEST& help) {
    const tagHelpRequest& body = help.Body();
    if (body.strMail.size() > m_accountLimits.maxMail || body.strSystem.size() > m_accountLimits.maxSystem ||
        body.strQuestion.size() > m_accountLimits.maxQuestion ||
        body.strText.size() > m_accountLimits.maxMail)
        return {{}, "help request too large"};
    const auto verdict = m_help.Take(request.host);
    if (verdict != CRateLimiter::enVerdict::Allowed) {
        if (verdict == CRateLimiter::enVerdict::FirstRefusal)
            Log("%s: too many help requests from this address", request.peer.c_str());
        return {{}, "help request limit"};
    }
    // A number that names no account is kept as 0, not as whatever was sent.
    std::optional<tagAccountRecord> account;
    if (!store.Find(body.nAccount, account))
        return StoreFault(store, request, "help request");
    if (!store.AddHelp({account ? body.nAccount : 0, body.strMail, body.strText, body.strSystem,
                        body.strQuestion, request.peer}))
        return StoreFault(store, request, "help request");
    CMSG_S2C_HELP_ANSWER answer;
    tagOutcome outcome;
    if (!Answer(answer, outcome))
        return {{}, "answer could not be packed"};
    return outcome;
}
