#pragma once
// A real second user for one test, created with useradd (no home, no login
// shell) and removed again; the tests that need it run as root.

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

class TestUser {
public:
    explicit TestUser(const std::string& prefix) : m_name(prefix + std::to_string(::getpid() % 100000)) {
        if (std::system(("useradd -M -s /usr/sbin/nologin " + m_name).c_str()) != 0) {
            m_name.clear();
            return;
        }
        if (const passwd* pw = ::getpwnam(m_name.c_str())) {
            m_uid = pw->pw_uid;
            m_gid = pw->pw_gid;
        }
    }
    ~TestUser() {
        if (!m_name.empty() && std::system(("userdel " + m_name + " 2>/dev/null").c_str()) != 0) {
            // Nothing more to do: a left-over account shows in /etc/passwd.
        }
    }
    TestUser(const TestUser&) = delete;
    TestUser& operator=(const TestUser&) = delete;

    bool Created() const { return !m_name.empty() && m_uid != 0; }
    const std::string& Name() const { return m_name; }
    uid_t Uid() const { return m_uid; }
    gid_t Gid() const { return m_gid; }

private:
    std::string m_name;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};
