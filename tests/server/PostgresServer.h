#pragma once
// A private PostgreSQL server for the tests: initdb and pg_ctl of the Debian
// package in a temporary folder, reached over a Unix socket in that folder
// (no TCP port is opened). PostgreSQL refuses to run as root, so a root test
// run starts it as the user "nobody". Available() is false, with Why() set,
// when the binaries are missing or the server does not start.

#include <libpq-fe.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

class CPostgresServer {
public:
    CPostgresServer() {
        const std::string bin = Bin();
        if (!std::filesystem::exists(bin + "/initdb") || !std::filesystem::exists(bin + "/pg_ctl")) {
            m_why =
                "PostgreSQL binaries not found in " + bin + " (Debian package postgresql; set WARROW_PG_BIN)";
            return;
        }
        char dir[] = "/tmp/wpg-XXXXXX"; // short: a socket path has a length limit
        if (mkdtemp(dir) == nullptr) {
            m_why = "no temporary folder";
            return;
        }
        m_dir = dir;
        if (geteuid() == 0 && Shell("chown nobody " + m_dir) != 0) {
            m_why = "cannot hand " + m_dir + " to the user nobody";
            return;
        }
        if (Shell(AsOwner() + bin + "/initdb -D " + m_dir + "/data -A trust -U warrow -E UTF8 --no-sync >" +
                  m_dir + "/initdb.log 2>&1") != 0) {
            m_why = "initdb failed: " + ReadFile(m_dir + "/initdb.log");
            return;
        }
        if (!Start()) {
            m_why = "the server did not start: " + ReadFile(m_dir + "/server.log");
            return;
        }
        m_bAvailable = true;
    }
    ~CPostgresServer() {
        if (!m_dir.empty()) {
            Stop();
            std::error_code ec;
            std::filesystem::remove_all(m_dir, ec);
        }
    }
    CPostgresServer(const CPostgresServer&) = delete;
    CPostgresServer& operator=(const CPostgresServer&) = delete;

    bool Available() const { return m_bAvailable; }
    // The test command installs PostgreSQL: under CI a missing server is a
    // failure, not a reason to skip half of the store tests unseen.
    static bool Required() { return std::getenv("CI") != nullptr; }
    const std::string& Why() const { return m_why; }
    const std::string& Folder() const { return m_dir; }

    std::string Uri(const std::string& database) const {
        return "postgresql:///" + database + "?host=" + m_dir + "&user=warrow";
    }

    // A fresh, empty database for one test.
    std::string NewDatabase() {
        const std::string name = "t" + std::to_string(++m_nDatabases);
        PGconn* conn = PQconnectdb(Uri("postgres").c_str());
        PGresult* result = PQexec(conn, ("CREATE DATABASE " + name + ";").c_str());
        PQclear(result);
        PQfinish(conn);
        return Uri(name);
    }

    // pg_ctl waits until the server is up, or fully down.
    bool Start() {
        return Shell(AsOwner() + Bin() + "/pg_ctl -D " + m_dir + "/data -l " + m_dir +
                     "/server.log -w -t 60 -o \"-k " + m_dir +
                     " -c listen_addresses='' -F\" start >/dev/null 2>&1") == 0;
    }
    bool Stop() {
        return Shell(AsOwner() + Bin() + "/pg_ctl -D " + m_dir +
                     "/data -w -t 60 -m fast stop >/dev/null 2>&1") == 0;
    }

private:
    // WARROW_PG_BIN, else the newest Debian PostgreSQL that has pg_ctl.
    static std::string Bin() {
        if (const char* bin = std::getenv("WARROW_PG_BIN"))
            return bin;
        std::string newest = "/usr/lib/postgresql/15/bin";
        int newestVersion = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
            const int version = std::atoi(entry.path().filename().c_str());
            if (version > newestVersion && std::filesystem::exists(entry.path() / "bin" / "pg_ctl", ec)) {
                newestVersion = version;
                newest = (entry.path() / "bin").string();
            }
        }
        return newest;
    }
    static std::string AsOwner() { return geteuid() == 0 ? "runuser -u nobody -- " : ""; }
    static int Shell(const std::string& command) { return std::system(command.c_str()); }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string m_dir;
    std::string m_why;
    bool m_bAvailable = false;
    int m_nDatabases = 0;
};
