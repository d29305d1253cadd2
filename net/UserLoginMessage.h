#pragma once
// The account protocol between the parent console and the account server.
// Every class reads its body the way it writes it, so both ends are built
// from these classes. Field order and encodings are the wire format.

#include "net/CMsgTemplate.h"

#include <cstdint>
#include <string>

class CMsg;

namespace user_login_message {

enum enLoginResult : std::int32_t {
    LOGIN_ACCEPTED = 0,    // version current
    LOGIN_REFUSED = 1,     // wrong account or password digest; no account record follows
    LOGIN_NEW_VERSION = 2, // accepted, a newer version exists
};

// Four 16-bit parts a_b_c_d, a highest.
constexpr std::uint64_t MakeVersion(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
    return std::uint64_t{a} << 48 | std::uint64_t{b} << 32 | std::uint64_t{c} << 16 | d;
}

struct tagLoginRequest {
    std::uint32_t nAccount = 0;
    std::string strPassword; // password digest, 32 lower-case hex digits
    std::uint64_t nVersion = 0;
};

// The account record as the server sends it.
struct tagAccountInfo {
    std::uint32_t nAccount = 0;
    std::string strUserName; // the account number as text
    std::uint32_t nValue = 0;
    double dtDate = 0; // days since 30 December 1899, fraction = time of day
    std::uint64_t nValue64 = 0;
    std::string strPassword; // plain text, only in the register answer
};

struct tagLoginAnswer {
    std::int32_t nResult = LOGIN_REFUSED;
    tagAccountInfo account; // fields 1-5, only when nResult is not LOGIN_REFUSED
};

struct tagHelpRequest {
    std::uint32_t nAccount = 0;
    std::string strMail;
    std::string strText; // always empty
    std::string strSystem;
    std::string strQuestion;
};

class CMSG_C2S_LOGIN_REQUEST : public CMsgTemplate<tagLoginRequest, 0> {
public:
    void OnMessage() override;

protected:
    void ReadBody() override;
    void WriteBody() override;
};

class CMSG_S2C_LOGIN_ANSWER : public CMsgTemplate<tagLoginAnswer, 1> {
public:
    void OnMessage() override;

protected:
    void ReadBody() override;
    void WriteBody() override;
};

class CMSG_C2S_REGISTER_REQUEST : public CMsgEmpty<2> {
public:
    void OnMessage() override;
};

class CMSG_S2C_REGISTER_ANSWER : public CMsgTemplate<tagAccountInfo, 3> {
public:
    void OnMessage() override;

protected:
    void ReadBody() override;
    void WriteBody() override;
};

class CMSG_C2S_HELP_REQUEST : public CMsgTemplate<tagHelpRequest, 4> {
public:
    void OnMessage() override;

protected:
    void ReadBody() override;
    void WriteBody() override;
};

class CMSG_S2C_HELP_ANSWER : public CMsgEmpty<5> {
public:
    void OnMessage() override;
};

// A new, empty message of the class with that type (0 to 5); null otherwise.
CMsg* CreateLoginMessage(unsigned char type);

// What the owner of a CNetClientLogin does with each received message; OnMessage
// of each class calls its hook on the handler of the client it came from.
class ILoginMessageHandler {
public:
    virtual ~ILoginMessageHandler() = default;
    virtual void OnLoginRequest(CMSG_C2S_LOGIN_REQUEST& msg) { (void)msg; }
    virtual void OnLoginAnswer(CMSG_S2C_LOGIN_ANSWER& msg) { (void)msg; }
    virtual void OnRegisterRequest(CMSG_C2S_REGISTER_REQUEST& msg) { (void)msg; }
    virtual void OnRegisterAnswer(CMSG_S2C_REGISTER_ANSWER& msg) { (void)msg; }
    virtual void OnHelpRequest(CMSG_C2S_HELP_REQUEST& msg) { (void)msg; }
    virtual void OnHelpAnswer(CMSG_S2C_HELP_ANSWER& msg) { (void)msg; }
};

} // namespace user_login_message
