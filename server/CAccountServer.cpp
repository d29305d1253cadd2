#include "server/CAccountServer.h"

#include "net/NetException.h"
#include "net/PasswordDigest.h"
#include "net/UserLoginMessage.h"

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

CAccountServer::CAccountServer(CAccountStore& store, std::uint64_t currentVersion, tagServerLimits limits)
    : CFrameServer("warrow-accountd", limits), m_store(store), m_nCurrentVersion(currentVersion) {}

const char* CAccountServer::OnFrame(CConnection& conn, const unsigned char* frame, std::uint16_t length) {
    std::unique_ptr<CMsg> msg(CreateLoginMessage(frame[2]));
    if (!msg)
        return "unknown message type";
    try {
        msg->Unpack(frame, length, nullptr);
    } catch (const net_exception&) {
        return "malformed message";
    }
    switch (msg->GetType()) {
    case CMSG_C2S_LOGIN_REQUEST::kType:
        return OnLogin(conn, static_cast<const CMSG_C2S_LOGIN_REQUEST&>(*msg));
    case CMSG_C2S_REGISTER_REQUEST::kType:
        return OnRegister(conn);
    case CMSG_C2S_HELP_REQUEST::kType:
        return OnHelp(conn, static_cast<const CMSG_C2S_HELP_REQUEST&>(*msg));
    default:
        return "an answer sent to the server";
    }
}

const char* CAccountServer::OnLogin(CConnection& conn, const CMSG_C2S_LOGIN_REQUEST& request) {
    const tagLoginRequest& body = request.Body();
    CMSG_S2C_LOGIN_ANSWER answer;
    tagLoginAnswer& result = answer.Body();
    const tagAccountRecord* account = m_store.Find(body.nAccount);
    if (account == nullptr || !SameDigest(account->strDigest, body.strPassword)) {
        result.nResult = LOGIN_REFUSED;
    } else {
        result.nResult = body.nVersion < m_nCurrentVersion ? LOGIN_NEW_VERSION : LOGIN_ACCEPTED;
        FillAccount(result.account, *account);
    }
    return Reply(conn, answer) ? nullptr : "answer could not be packed";
}

const char* CAccountServer::OnRegister(CConnection& conn) {
    const std::uint32_t span = kLastAccount - kFirstAccount + 1;
    // Half full is full enough: the random search for a free number stays short.
    if (m_store.Count() >= span / 2)
        return "no account numbers left to hand out";
    tagAccountRecord record;
    do {
        record.nAccount = kFirstAccount + RandomBelow(span);
    } while (m_store.Find(record.nAccount) != nullptr);
    record.strUserName = std::to_string(record.nAccount);
    record.dtDate = static_cast<double>(std::time(nullptr)) / 86400.0 + kUnixEpochAsAutomationDate;
    const std::string password = RandomPassword();
    record.strDigest = wire::Md5Hex(password.data(), password.size());
    if (record.strDigest.empty() || !m_store.Add(record, password))
        return "the new account could not be stored";
    CMSG_S2C_REGISTER_ANSWER answer;
    FillAccount(answer.Body(), record);
    answer.Body().strPassword = password;
    if (!Reply(conn, answer))
        return "answer could not be packed";
    // The plain password is needed only until the answer is on its way.
    const std::uint32_t number = record.nAccount;
    AfterFlush(conn, [this, number] { m_store.ForgetPassword(number); });
    Log("%s: registered account %u", PeerOf(conn).c_str(), number);
    return nullptr;
}

const char* CAccountServer::OnHelp(CConnection& conn, const CMSG_C2S_HELP_REQUEST& request) {
    const tagHelpRequest& body = request.Body();
    if (!m_store.AddHelp(
            {body.nAccount, body.strMail, body.strText, body.strSystem, body.strQuestion, PeerOf(conn)}))
        Log("%s: a help request could not be stored", PeerOf(conn).c_str());
    CMSG_S2C_HELP_ANSWER answer;
    return Reply(conn, answer) ? nullptr : "answer could not be packed";
}
