#include "tools/warrowctl/ChildCommand.h"

#include "core/ChildAccounts.h"
#include "platform/Paths.h"
#include "tools/warrowctl/ParentGroup.h"
#include "tools/warrowctl/ProtectInstallation.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <shadow.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kSession = "warrow";
constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kError = 2;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "warrowctl: %s\n", message.c_str());
    return status;
}

// AccountsService over the system bus: find the user, set its X session.
bool SetSessionOverDBus(const std::string& user) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) {
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* path = nullptr;
    bool ok = sd_bus_call_method(bus, "org.freedesktop.Accounts", "/org/freedesktop/Accounts",
                                 "org.freedesktop.Accounts", "FindUserByName", &error, &reply, "s",
                                 user.c_str()) >= 0 &&
              sd_bus_message_read(reply, "o", &path) >= 0;
    const std::string userPath = ok ? path : "";
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (ok) {
        ok = sd_bus_call_method(bus, "org.freedesktop.Accounts", userPath.c_str(),
                                "org.freedesktop.Accounts.User", "SetXSession", &error, nullptr, "s",
                                kSession) >= 0;
        sd_bus_error_free(&error);
    }
    sd_bus_flush_close_unref(bus);
    return ok;
}

bool SetSessionInFile(const std::filesystem::path& folder, const std::string& user) {
    const std::filesystem::path file = folder / user;
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string temporary = file.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << WithSession(text.str(), kSession);
        if (!out.flush()) {
            return false;
        }
    }
    ::chmod(temporary.c_str(), 0600);
    return std::rename(temporary.c_str(), file.c_str()) == 0;
}

// Warnings about what would let the child out of its account.
void Warn(const passwd& pw) {
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        ::getgrouplist(pw.pw_name, pw.pw_gid, groups.data(), &count);
    }
    groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (const gid_t gid : groups) {
        const group* gr = ::getgrgid(gid);
        if (gr != nullptr && (std::string(gr->gr_name) == "sudo" || std::string(gr->gr_name) == "adm" ||
                              std::string(gr->gr_name) == "wheel")) {
            std::fprintf(
                stderr,
                "warrowctl: warning: %s is in the group %s and can change the system: gpasswd -d %s %s\n",
                pw.pw_name, gr->gr_name, pw.pw_name, gr->gr_name);
        }
    }
    if (const spwd* sp = ::getspnam(pw.pw_name);
        sp != nullptr && sp->sp_pwdp != nullptr && sp->sp_pwdp[0] == '\0') {
        std::fprintf(stderr, "warrowctl: warning: %s has no password: passwd %s\n", pw.pw_name, pw.pw_name);
    }
}

// The administrator who ran `sudo warrowctl child add` becomes a parent, so
// the console it starts may change the root-owned settings.
int AddAdministrator() {
    const char* sudoUser = std::getenv("SUDO_USER");
    if (sudoUser == nullptr || *sudoUser == '\0') {
        return kOk;
    }
    const std::string user = sudoUser;
    const passwd* pw = ::getpwnam(user.c_str());
    const std::string group = parent_group::Name();
    if (pw == nullptr || pw->pw_uid == 0 || parent_group::IsMember(user, group)) {
        return kOk;
    }
    if (child_accounts::Contains("Config.ini", user)) {
        std::fprintf(stderr, "warrowctl: warning: %s is a child account and is not made a parent\n",
                     user.c_str());
        return kOk;
    }
    std::string error;
    if (!parent_group::AddMember(user, error)) {
        return Fail(kError, "child add: cannot add " + user + " to the group " + group + ": " + error);
    }
    std::printf("joined\t%s\t%s\n", user.c_str(), group.c_str());
    std::fprintf(stderr,
                 "warrowctl: %s must log out and in again before the console can change the settings\n",
                 user.c_str());
    return kOk;
}

} // namespace

std::string WithSession(const std::string& text, const std::string& session) {
    std::istringstream in(text);
    std::string out;
    bool inUser = false;
    bool sawUser = false;
    auto addKeys = [&out, &session] { out += "XSession=" + session + "\nSession=" + session + "\n"; };
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '[') {
            if (inUser) {
                addKeys();
            }
            inUser = line == "[User]";
            sawUser |= inUser;
            out += line + "\n";
            continue;
        }
        if (inUser && (line.rfind("XSession=", 0) == 0 || line.rfind("Session=", 0) == 0)) {
            continue;
        }
        out += line + "\n";
    }
    if (inUser) {
        addKeys();
    }
    if (!sawUser) {
        out += "[User]\n";
        addKeys();
    }
    return out;
}

int ChildCommand(const std::vector<std::string>& a) {
    if (a.size() == 1 && a[0] == "list") {
        for (const auto& user : child_accounts::List("Config.ini")) {
            std::printf("%s\n", user.c_str());
        }
        return kOk;
    }
    if (a.size() != 2 || (a[0] != "add" && a[0] != "del")) {
        return Fail(kError, "child: expected add USER, del USER or list");
    }
    const std::string& user = a[1];
    const passwd* pw = ::getpwnam(user.c_str());
    if (pw == nullptr) {
        return Fail(kRefused, "child: no account named '" + user + "'");
    }
    if (pw->pw_uid == 0) {
        return Fail(kRefused, "child: root cannot be a child account");
    }
    const bool add = a[0] == "add";
    if (add && ::geteuid() != 0) {
        return Fail(kRefused, "child add: run as root (sudo warrowctl child add " + user +
                                  "): the installation becomes root's");
    }
    // A parent's account typed by mistake must not lose its desktop; a child
    // in the parents' group could change its own limits. Either way the
    // administrator decides, so nothing is marked.
    if (add && parent_group::IsMember(user, parent_group::Name())) {
        return Fail(kRefused, "child add: " + user + " is in the parents' group " + parent_group::Name() +
                                  "; if it is a child's account: gpasswd -d " + user + " " +
                                  parent_group::Name());
    }
    const passwd copy = *pw;
    if (!child_accounts::Mark("Config.ini", user, add)) {
        return Fail(kError, "child: cannot write Config.ini");
    }
    if (!add) {
        return kOk;
    }
    const char* folder = std::getenv("WARROW_ACCOUNTSSERVICE_DIR");
    const bool set = (folder == nullptr && SetSessionOverDBus(user)) ||
                     SetSessionInFile(folder != nullptr ? folder : "/var/lib/AccountsService/users", user);
    if (!set) {
        std::fprintf(stderr, "warrowctl: warning: could not make the Warrow session %s's default\n",
                     user.c_str());
    }
    Warn(copy);
    if (const int status = protect::Report(protect::Apply(platform::CurrentDirectory())); status != kOk) {
        return status;
    }
    return AddAdministrator();
}
