#include "tools/warrowctl/Doctor.h"

#include "tools/warrowctl/ParentGroup.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace doctor {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(std::string text) {
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '"'; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) {
        text.pop_back();
    }
    std::size_t start = 0;
    while (start < text.size() && blank(static_cast<unsigned char>(text[start]))) {
        ++start;
    }
    return text.substr(start);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// "key=value" lines of an INI-like file, keys compared without case.
std::string Value(const fs::path& path, const std::string& key) {
    std::string found;
    for (const auto& line : Lines(path)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && Lower(Trim(line.substr(0, equals))) == Lower(key)) {
            found = Trim(line.substr(equals + 1));
        }
    }
    return found;
}

std::vector<fs::path> Files(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == extension) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void CheckGroupsAndPasswords(const fs::path& root, const std::vector<std::string>& children,
                             std::vector<Finding>& out) {
    for (const auto& line : Lines(root / "etc/group")) {
        const auto fields = Split(line, ':');
        if (fields.size() < 4 || (fields[0] != "sudo" && fields[0] != "adm" && fields[0] != "wheel")) {
            continue;
        }
        for (const auto& member : Split(fields[3], ',')) {
            if (std::find(children.begin(), children.end(), member) != children.end()) {
                out.push_back({"admin-group", "child account " + member + " is in the group " + fields[0],
                               "gpasswd -d " + member + " " + fields[0]});
            }
        }
    }
    for (const auto& line : Lines(root / "etc/shadow")) {
        const auto fields = Split(line, ':');
        if (fields.size() >= 2 && fields[1].empty() &&
            std::find(children.begin(), children.end(), fields[0]) != children.end()) {
            out.push_back(
                {"no-password", "child account " + fields[0] + " has no password", "passwd " + fields[0]});
        }
    }
}

void CheckSessions(const fs::path& root, const std::vector<std::string>& children,
                   std::vector<Finding>& out) {
    std::vector<std::string> others;
    for (const char* folder : {"usr/share/xsessions", "usr/share/wayland-sessions"}) {
        for (const auto& file : Files(root / folder, ".desktop")) {
            if (file.filename() != "warrow.desktop") {
                others.push_back("/" + std::string(folder) + "/" + file.filename().string());
            }
        }
    }
    if (!others.empty() && !children.empty()) {
        std::string list;
        for (const auto& name : others) {
            list += (list.empty() ? "" : ", ") + name;
        }
        out.push_back({"other-sessions", "a child can choose other sessions at login: " + list,
                       "keep only the Warrow session, or use a login screen that hides the session choice"});
    }
    for (const auto& child : children) {
        const fs::path user = root / "var/lib/AccountsService/users" / child;
        for (const char* key : {"XSession", "Session"}) {
            const std::string session = Value(user, key);
            if (!session.empty() && session != "warrow") {
                out.push_back({"child-session", "child account " + child + " starts the session " + session,
                               "warrowctl child add " + child});
            }
        }
    }
}

void CheckAutologin(const fs::path& root, std::vector<Finding>& out) {
    std::vector<fs::path> lightdm{root / "etc/lightdm/lightdm.conf"};
    for (const auto& file : Files(root / "etc/lightdm/lightdm.conf.d", ".conf")) {
        lightdm.push_back(file);
    }
    for (const auto& file : lightdm) {
        if (const std::string user = Value(file, "autologin-user"); !user.empty()) {
            out.push_back({"autologin",
                           "the login screen logs " + user + " in without a password (" +
                               file.lexically_relative(root).string() + ")",
                           "remove autologin-user from " + ("/" + file.lexically_relative(root).string())});
        }
    }
    for (const char* name : {"etc/gdm3/daemon.conf", "etc/gdm3/custom.conf", "etc/gdm/custom.conf"}) {
        if (Lower(Value(root / name, "AutomaticLoginEnable")) == "true") {
            out.push_back({"autologin",
                           std::string("the login screen logs a user in without a password (/") + name + ")",
                           std::string("set AutomaticLoginEnable=false in /") + name});
        }
    }
}

// The X server's own settings: without DontVTSwitch a child can reach a text
// console with Ctrl+Alt+F1..; without DontZap, Ctrl+Alt+Backspace (when the
// keyboard layout enables it) kills the X server and the shell with it.
void CheckXServer(const fs::path& root, std::vector<Finding>& out) {
    bool noVtSwitch = false;
    bool noZap = false;
    std::vector<fs::path> files = Files(root / "etc/X11/xorg.conf.d", ".conf");
    files.push_back(root / "etc/X11/xorg.conf");
    for (const auto& file : files) {
        for (const auto& line : Lines(file)) {
            const std::string text = Lower(line);
            if (text.find("#") != std::string::npos && text.find("#") < text.find("option")) {
                continue;
            }
            const bool on =
                text.find("\"true\"") != std::string::npos || text.find("\"on\"") != std::string::npos ||
                text.find("\"yes\"") != std::string::npos || text.find("\"1\"") != std::string::npos;
            noVtSwitch |= text.find("\"dontvtswitch\"") != std::string::npos && on;
            noZap |= text.find("\"dontzap\"") != std::string::npos && on;
        }
    }
    const std::string fixFile = "/etc/X11/xorg.conf.d/50-warrow.conf";
    if (!noVtSwitch) {
        out.push_back(
            {"vt-switch", "the X server lets Ctrl+Alt+F1..F12 switch to a text console",
             "add Section \"ServerFlags\" Option \"DontVTSwitch\" \"true\" EndSection to " + fixFile});
    }
    const bool zapKey = Value(root / "etc/default/keyboard", "XKBOPTIONS").find("terminate:ctrl_alt_bksp") !=
                        std::string::npos;
    if (!noZap && zapKey) {
        out.push_back({"zap", "Ctrl+Alt+Backspace ends the X server (and the shell)",
                       "add Option \"DontZap\" \"true\" to the ServerFlags of " + fixFile +
                           ", or drop terminate:ctrl_alt_bksp from XKBOPTIONS in /etc/default/keyboard"});
    }
}

// Who is who on this machine, from the account files below the root.
struct Accounts {
    std::map<uid_t, std::string> users;                      // uid -> name
    std::map<std::string, gid_t> primaryGroups;              // user name -> primary gid
    std::map<gid_t, std::string> groups;                     // gid -> name
    std::map<std::string, std::vector<std::string>> members; // group name -> listed members
};

Accounts ReadAccounts(const fs::path& root) {
    Accounts accounts;
    for (const auto& line : Lines(root / "etc/passwd")) {
        const auto fields = Split(line, ':');
        if (fields.size() >= 4) {
            accounts.users[static_cast<uid_t>(std::strtoul(fields[2].c_str(), nullptr, 10))] = fields[0];
            accounts.primaryGroups[fields[0]] =
                static_cast<gid_t>(std::strtoul(fields[3].c_str(), nullptr, 10));
        }
    }
    for (const auto& line : Lines(root / "etc/group")) {
        const auto fields = Split(line, ':');
        if (fields.size() >= 3) {
            accounts.groups[static_cast<gid_t>(std::strtoul(fields[2].c_str(), nullptr, 10))] = fields[0];
            accounts.members[fields[0]] =
                fields.size() >= 4 ? Split(fields[3], ',') : std::vector<std::string>{};
        }
    }
    return accounts;
}

bool Contains(const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

// A child in the parents' group may change its own limits.
void CheckParentGroup(const Accounts& accounts, const std::vector<std::string>& children,
                      std::vector<Finding>& out) {
    const std::string parents = parent_group::Name();
    const auto listed = accounts.members.find(parents);
    for (const auto& child : children) {
        const auto primary = accounts.primaryGroups.find(child);
        const auto primaryName = primary == accounts.primaryGroups.end()
                                     ? accounts.groups.end()
                                     : accounts.groups.find(primary->second);
        if (primaryName != accounts.groups.end() && primaryName->second == parents) {
            out.push_back({"child-in-parent-group",
                           "child account " + child + " has the parents' group " + parents + " as its own",
                           "usermod -g users " + child});
        } else if (listed != accounts.members.end() && Contains(listed->second, child)) {
            out.push_back({"child-in-parent-group",
                           "child account " + child + " is in the parents' group " + parents +
                               " and can change the settings",
                           "gpasswd -d " + child + " " + parents});
        }
    }
}

// The installation is root's; the parents' group may write the settings and
// the databases, nobody else may write anything, and only the child's copy
// of the databases (ChildView.db) may be read by others. Config.ini and the
// databases' -wal/-shm/-journal files may belong to a parent: the console
// replaces Config.ini and SQLite creates those files as whoever writes.
void CheckInstallation(const fs::path& folder, const Accounts& accounts,
                       const std::vector<std::string>& children, std::vector<Finding>& out) {
    const std::string parents = parent_group::Name();
    const std::string repair = "sudo warrowctl --dir '" + folder.string() + "' protect";
    const auto groupName = [&accounts](gid_t gid) {
        const auto found = accounts.groups.find(gid);
        return found == accounts.groups.end() ? std::to_string(gid) : found->second;
    };
    auto check = [&](const fs::path& path, bool parentMayOwn, bool secret) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return;
        }
        const auto owner = accounts.users.find(st.st_uid);
        const bool ownerTrusted = st.st_uid == 0 || (parentMayOwn && owner != accounts.users.end() &&
                                                     !Contains(children, owner->second));
        const bool parentsGroup = groupName(st.st_gid) == parents;
        const bool groupWrite = (st.st_mode & S_IWGRP) != 0 && !parentsGroup;
        if (!ownerTrusted || groupWrite || (st.st_mode & S_IWOTH) != 0) {
            out.push_back({"writable-settings",
                           path.string() +
                               " can be changed by someone other than root and the parents' group " + parents,
                           repair});
        }
        const bool groupRead = (st.st_mode & S_IRGRP) != 0 && st.st_gid != 0 && !parentsGroup;
        if (secret && ((st.st_mode & S_IROTH) != 0 || groupRead)) {
            out.push_back(
                {"readable-database",
                 path.string() + " can be read by " +
                     ((st.st_mode & S_IROTH) != 0 ? "every user" : "the group " + groupName(st.st_gid)),
                 repair});
        }
    };
    check(folder, false, false);
    check(folder / "Config.ini", true, false);
    check(folder / "DataBase", false, false);
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder / "DataBase", error)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    // Every other file there (a copy, a backup) is as secret as the databases.
    const auto endsWith = [](const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    };
    for (const auto& file : files) {
        const std::string name = file.filename().string();
        const bool companion =
            endsWith(name, ".db-wal") || endsWith(name, ".db-shm") || endsWith(name, ".db-journal");
        const bool childCopy = name == "ChildView.db" || name.rfind("ChildView.db-", 0) == 0;
        check(file, companion, !childCopy);
    }
}

void CheckService(const fs::path& root, std::vector<Finding>& out) {
    std::error_code error;
    if (!fs::exists(root / "etc/systemd/system/multi-user.target.wants/Warrow.service", error)) {
        out.push_back({"service-disabled", "the Warrow service does not start with the computer",
                       "WarrowSvc /install (or systemctl enable --now Warrow.service)"});
    }
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

std::vector<Finding> Diagnose(const std::string& root, const std::string& folder,
                              const std::vector<std::string>& children) {
    std::vector<Finding> findings;
    CheckGroupsAndPasswords(root, children, findings);
    CheckSessions(root, children, findings);
    CheckAutologin(root, findings);
    CheckXServer(root, findings);
    const Accounts accounts = ReadAccounts(root);
    CheckParentGroup(accounts, children, findings);
    CheckInstallation(folder, accounts, children, findings);
    CheckService(root, findings);
    return findings;
}

std::string ToJson(const std::vector<Finding>& findings) {
    std::string json = "[";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        json += (i == 0 ? "\n  " : ",\n  ");
        json += "{\"id\": " + Quote(findings[i].id) + ", \"problem\": " + Quote(findings[i].problem) +
                ", \"fix\": " + Quote(findings[i].fix) + "}";
    }
    return json + (findings.empty() ? "]\n" : "\n]\n");
}

} // namespace doctor
