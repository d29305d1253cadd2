#include "tools/warrowctl/Doctor.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
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

// Root's folder and files, writable by nobody else; the databases not even readable.
void CheckInstallation(const fs::path& folder, std::vector<Finding>& out) {
    auto check = [&out](const fs::path& path, bool secret) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            return;
        }
        if (st.st_uid != 0 || (st.st_mode & 022) != 0) {
            out.push_back({"writable-settings", path.string() + " can be changed by someone other than root",
                           "chown root:root '" + path.string() + "' && chmod go-w '" + path.string() + "'"});
        }
        if (secret && (st.st_mode & 004) != 0) {
            out.push_back({"readable-database", path.string() + " can be read by every user",
                           "chmod o-rwx '" + path.string() + "'"});
        }
    };
    check(folder, false);
    check(folder / "Config.ini", false);
    check(folder / "DataBase", false);
    for (const auto& file : Files(folder / "DataBase", ".db")) {
        check(file, true);
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
    CheckInstallation(folder, findings);
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
