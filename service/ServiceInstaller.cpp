#include "service/ServiceInstaller.h"

#include "platform/Paths.h"
#include "service/CService.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace service {
namespace {

std::string Setting(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : fallback;
}

std::string UnitName(const char* name) {
    return std::string(name) + ".service";
}

// Runs systemctl with the given arguments (no shell); true on exit status 0.
bool Systemctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> texts{Setting("WARROW_SYSTEMCTL", "systemctl")};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// systemd reads '%' as a specifier and '\' and '"' inside quotes as escapes;
// a line break would end the setting.
bool UnitValue(const std::string& raw, std::string& out, bool quoted) {
    out.clear();
    for (char c : raw) {
        if (c == '\n' || c == '\r' || c == '\0') {
            return false;
        }
        if (c == '%') {
            out += "%%";
        } else if (quoted && (c == '\\' || c == '"')) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    if (quoted) {
        out = '"' + out + '"';
    }
    return true;
}

// One unit name: no blanks, no separators, "foo" meaning "foo.service".
std::string DependencyUnit(const char* dependency) {
    std::string unit = dependency;
    for (unsigned char c : unit) {
        if (c <= ' ' || c == '/' || c == '%' || c == '\\' || c == '"' || c == '\'' || c >= 0x7F) {
            return {};
        }
    }
    if (!unit.empty() && unit.find('.') == std::string::npos) {
        unit += ".service";
    }
    return unit;
}

bool WriteAtomically(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
        out << text;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    ::chmod(temporary.c_str(), 0644);
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

std::string UnitPath(const char* name) {
    return platform::JoinPath(Setting("WARROW_SYSTEMD_UNIT_DIR", "/etc/systemd/system"), UnitName(name));
}

std::string UnitText(const char* name, const std::string& program, const std::string& folder,
                     const char* dependency) {
    std::string exec, directory, description;
    if (!UnitValue(program, exec, true) || !UnitValue(folder, directory, false) ||
        !UnitValue(name, description, false)) {
        return {};
    }
    std::string text = "[Unit]\nDescription=" + description + "\n";
    if (dependency != nullptr && *dependency != '\0') {
        const std::string unit = DependencyUnit(dependency);
        if (unit.empty()) {
            return {};
        }
        text += "After=" + unit + "\nWants=" + unit + "\n";
    }
    std::string writable;
    UnitValue(folder, writable, true);
    // KillMode=process: stopping the service must not end the programs it
    // started for the family; they were never its to watch.
    text += "\n[Service]\nType=notify\nExecStart=" + exec + "\nWorkingDirectory=" + directory +
            "\nKillMode=process\n";
    // The service reads and writes the installation folder, listens on one
    // socket below /run and asks systemd to start programs for the person at
    // the computer (those run in units of their own, outside this sandbox).
    // It keeps only what that needs: reading the session leader's environment
    // of another user (SYS_PTRACE), settings in a folder a family's user may
    // own in the shared-account mode (DAC_OVERRIDE), and giving a replaced
    // settings file back to its owner (CHOWN).
    text += "UMask=0077\n"
            "RuntimeDirectory=warrow\n"
            "RuntimeDirectoryMode=0755\n"
            "ProtectSystem=strict\n"
            "ReadWritePaths=" +
            writable +
            "\n"
            "ProtectHome=yes\n"
            "PrivateTmp=yes\n"
            "PrivateDevices=yes\n"
            "PrivateNetwork=yes\n"
            "PrivateMounts=yes\n"
            "IPAddressDeny=any\n"
            "RestrictAddressFamilies=AF_UNIX\n"
            "ProtectKernelTunables=yes\n"
            "ProtectKernelModules=yes\n"
            "ProtectKernelLogs=yes\n"
            "ProtectControlGroups=yes\n"
            "ProtectClock=yes\n"
            "ProtectHostname=yes\n"
            "ProtectProc=invisible\n"
            "NoNewPrivileges=yes\n"
            "RestrictNamespaces=yes\n"
            "RestrictRealtime=yes\n"
            "RestrictSUIDSGID=yes\n"
            "LockPersonality=yes\n"
            "MemoryDenyWriteExecute=yes\n"
            "RemoveIPC=yes\n"
            "SystemCallArchitectures=native\n"
            "SystemCallFilter=@system-service\n"
            "SystemCallFilter=~@resources\n"
            "SystemCallErrorNumber=EPERM\n"
            "CapabilityBoundingSet=CAP_SYS_PTRACE CAP_DAC_OVERRIDE CAP_CHOWN\n"
            "DevicePolicy=closed\n";
    text += "\n[Install]\nWantedBy=multi-user.target\n";
    return text;
}

bool Install(const char* name, const char* dependency) {
    struct stat st {};
    if (::stat(UnitPath(name).c_str(), &st) == 0 && !Uninstall(name)) {
        return false;
    }
    const std::string text =
        UnitText(name, platform::ProgramPath(), platform::ProgramDirectory(), dependency);
    const bool created = !text.empty() && WriteAtomically(UnitPath(name), text) &&
                         Systemctl({"daemon-reload"}) && Systemctl({"enable", UnitName(name)});
    if (!created) {
        // A service has no window to show a message box in.
        std::fprintf(stderr, "%s: Couldn't create service\n", name);
    }
    return created;
}

bool Uninstall(const char* name) {
    const std::string path = UnitPath(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return true;
    }
    // Stopping a service that is not running fails harmlessly.
    Systemctl({"stop", UnitName(name)});
    Systemctl({"disable", UnitName(name)});
    if (std::remove(path.c_str()) != 0) {
        LogEvent("Service could not be deleted");
        return false;
    }
    Systemctl({"daemon-reload"});
    return true;
}

} // namespace service
