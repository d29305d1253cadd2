// warrowctl: the administrator's command-line tool over the settings library.
// Output is one record per line, fields separated by a tab. Exit status: 0 on
// success, 1 for "not found / refused", 2 for usage or I/O errors (with one
// line on standard error).
#include "core/AppAdder.h"
#include "core/CDBManager.h"
#include "core/CLogPager.h"
#include "core/CWarrowCoreInterface.h"
#include "core/ChildAccounts.h"
#include "core/InstallationSetup.h"
#include "core/WebKey.h"
#include "platform/Paths.h"
#include "platform/ServiceChannel.h"
#include "tools/warrowctl/ChildCommand.h"
#include "tools/warrowctl/Doctor.h"
#include "tools/warrowctl/ProtectInstallation.h"
#include "tools/warrowctl/TimeCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kError = 2;

const char* const kUsage =
    "usage: warrowctl [--verbose] [--dir FOLDER] COMMAND\n"
    "  --verbose                         trace every SQL statement on standard error\n"
    "  init                              create missing Config.ini and database files\n"
    "  config                            show the settings of Config.ini\n"
    "  apps list | add PATH | del APPNAME | match PATH\n"
    "  apps limits | limit APPNAME MINUTES|none | learning APPNAME on|off\n"
    "                                    daily limits of programs; learning programs alone use no play time\n"
    "  schedule list | set DAY HH:MM-HH:MM[,...]|none | clear DAY\n"
    "                                    the hours of each day (mon..sun) the computer may be used\n"
    "  usage [--days N]                  minutes per day and program (default 14 days), and the week's top\n"
    "  web list | add-folder NAME | add-page FOLDER NAME URL LEVEL | erase NAME | check URL\n"
    "  log list [--all] | add TEXT | clear\n"
    "                                    list: the newest 500 lines, or with --all every line\n"
    "  account                           show the account (never its passwords)\n"
    "  volume [VALUE]                    show (and set) the master volume, 0..65535\n"
    "  changestyle 0|1                   ask the running service to start the child shell (0)\n"
    "                                    or the parent console (1)\n"
    "  child add USER | del USER | list  mark an account as a child account (its default session\n"
    "                                    becomes Warrow, the installation root's, and the administrator\n"
    "                                    running sudo a parent) or no longer; list the child accounts\n"
    "  protect                           make the installation root's again: the parents' group may\n"
    "                                    change the settings, a child only reads them (root only)\n"
    "  doctor [--json] [--root DIR]      list what weakens this machine's setup, each with a fix;\n"
    "                                    exit 0 when nothing is found, 1 otherwise\n";

using Args = std::vector<std::string>;

std::vector<std::string> g_libraryErrors;

// Keeps records one per line whatever the stored text holds.
std::string Field(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void PrintRecord(const std::vector<std::string>& fields) {
    std::string line;
    for (const auto& f : fields) {
        line += (line.empty() ? "" : "\t") + Field(f);
    }
    std::printf("%s\n", line.c_str());
}

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "warrowctl: %s\n", message.c_str());
    return status;
}

bool ParseInt(const std::string& text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && errno == 0;
}

CWarrowCoreInterface& Core() {
    return *CWarrowCoreInterface::Get();
}

int Init(const Args&) {
    const auto result = core::CreateMissingInstallationFiles(platform::CurrentDirectory());
    for (const auto& created : result.created) {
        std::printf("created\t%s\n", created.c_str());
    }
    return result.error.empty() ? kOk : Fail(kError, result.error);
}

int ChangeStyle(const Args& a) {
    if (a.size() != 1 || (a[0] != "0" && a[0] != "1")) {
        return Fail(kError, "changestyle: expected 0 (child shell) or 1 (parent console)");
    }
    std::string error;
    if (!platform::PostServiceMessage(platform::kChangeStyleMessage, a[0] == "1" ? 1 : 0, &error)) {
        return Fail(kRefused, error);
    }
    return kOk;
}

int Doctor(const Args& a) {
    bool json = false;
    std::string root = "/";
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--json") {
            json = true;
        } else if (a[i] == "--root" && i + 1 < a.size()) {
            root = a[++i];
        } else {
            return Fail(kError, "doctor: expected [--json] [--root DIR]");
        }
    }
    const auto findings =
        doctor::Diagnose(root, platform::CurrentDirectory(), child_accounts::List("Config.ini"));
    if (json) {
        std::fputs(doctor::ToJson(findings).c_str(), stdout);
    } else {
        for (const auto& finding : findings) {
            PrintRecord({finding.id, finding.problem, finding.fix});
        }
    }
    return findings.empty() ? kOk : kRefused;
}

int ShowConfig(const Args&) {
    CWarrowControl control;
    if (!control.Peek()) {
        return Fail(kError, "cannot read Config.ini");
    }
    const tagConfig& c = control.GetConfig();
    std::printf("ID=%d\nIsAutoStart=%d\nStartStyle=%d\nUpdateStyle=%d\nIp=%s\nPort=%d\nVersion=%llu\n"
                "PlayTime=%d\nRestTime=%d\nTimeStyle=%d\nCountTime=%d\n",
                c.ID, c.IsAutoStart, c.StartStyle, c.UpdateStyle, c.Ip.c_str(), c.Port,
                static_cast<unsigned long long>(c.Version), c.PlayTime, c.RestTime, c.TimeStyle, c.CountTime);
    return kOk;
}

void PrintApp(const tagAppInfo& app) {
    PrintRecord({app.AppName, app.AppPath, app.Name, app.Icon, app.AppParam});
}

CDataBase& SettingsDb() {
    return *CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword);
}

int Apps(const Args& a) {
    CWriteListMng& list = *Core().GetWLMng();
    if (!a.empty() && (a[0] == "limits" || a[0] == "limit" || a[0] == "learning")) {
        return warrowctl::AppTime(SettingsDb(), a);
    }
    if (a.size() == 1 && a[0] == "list") {
        list.ForEach([](tagAppInfo& app) { PrintApp(app); });
        return kOk;
    }
    if (a.size() != 2) {
        return Fail(kError, "apps: expected list, add PATH, del APPNAME or match PATH");
    }
    if (a[0] == "add") {
        tagAppInfo added;
        if (!AddApp(list, a[1], &added)) {
            return Fail(kRefused, a[1] + ": not an executable file or application launcher");
        }
        PrintApp(added);
        return kOk;
    }
    if (a[0] == "del") {
        if (list.Find(a[1].c_str()) == nullptr) {
            return Fail(kRefused, a[1] + ": no such application");
        }
        list.Del(a[1].c_str(), true);
        return kOk;
    }
    if (a[0] == "match") {
        const tagAppInfo* app = list.FindPath(a[1].c_str());
        if (app == nullptr) {
            return kRefused;
        }
        std::printf("%s\n", Field(app->AppName).c_str());
        return kOk;
    }
    return Fail(kError, "apps: unknown command " + a[0]);
}

int SaveWeb(CIEListMng& web) {
    return web.Save() ? kOk : Fail(kError, "cannot save the web tree");
}

int Web(const Args& a) {
    CIEListMng& web = *Core().GetIEMng();
    const std::string verb = a.empty() ? "" : a[0];
    if (verb == "list" && a.size() == 1) {
        for (const auto& node : web.GetTree()) {
            const tagIEInfo& i = node.Data;
            PrintRecord({std::to_string(node.Left), std::to_string(node.Right), i.Name, i.Url,
                         std::to_string(i.Level), i.Key, i.IsDir ? "1" : "0"});
        }
        return kOk;
    }
    if (verb == "add-folder" && a.size() == 2) {
        if (web.Find(a[1].c_str()) != nullptr) {
            return Fail(kRefused, a[1] + ": the name is taken");
        }
        tagIEInfo folder;
        folder.Name = a[1];
        folder.IsDir = true;
        web.Insert(nullptr, folder, CIEListMng::Tree::INSERT_LAST);
        return SaveWeb(web);
    }
    if (verb == "add-page" && a.size() == 5) {
        long level = 0;
        if (!ParseInt(a[4], level) || level < 0 || level > 2) {
            return Fail(kError, "LEVEL must be 0, 1 or 2");
        }
        const tagIEInfo* folder = web.Find(a[1].c_str());
        if (folder == nullptr || !folder->IsDir) {
            return Fail(kRefused, a[1] + ": no such folder");
        }
        if (web.Find(a[2].c_str()) != nullptr) {
            return Fail(kRefused, a[2] + ": the name is taken");
        }
        tagIEInfo page;
        page.Name = a[2];
        page.Url = a[3];
        page.Level = static_cast<int>(level);
        if (!DeriveKey(page)) {
            return Fail(kRefused, a[3] + ": 请输入有效的网址");
        }
        web.Insert(a[1].c_str(), page, CIEListMng::Tree::INSERT_LAST);
        return SaveWeb(web);
    }
    if (verb == "erase" && a.size() == 2) {
        if (web.Find(a[1].c_str()) == nullptr) {
            return Fail(kRefused, a[1] + ": no such entry");
        }
        web.Erase(a[1].c_str());
        return SaveWeb(web);
    }
    if (verb == "check" && a.size() == 2) {
        const bool allowed = web.IsValid(a[1].c_str());
        std::printf("%s\n", allowed ? "allowed" : "refused");
        return allowed ? kOk : kRefused;
    }
    return Fail(
        kError,
        "web: expected list, add-folder NAME, add-page FOLDER NAME URL LEVEL, erase NAME or check URL");
}

void PrintLogLine(const tagLogInfo& line) {
    PrintRecord({line.DateTime.Format(), line.Content, std::to_string(line.Type)});
}

// Oldest first either way. Without --all only the newest page is read, so
// the command answers as fast on a log of years as on one of a day.
int ListLog(bool all) {
    CDataBase* db = Core().GetLog()->GetDataBase();
    std::vector<tagLogInfo> page;
    if (all) {
        CLogPager pager(db, CLogPager::kDefaultPageSize, CLogPager::Order::OldestFirst);
        while (pager.CanFetchMore()) {
            page.clear();
            if (!pager.FetchMore(page)) {
                return Fail(kError, "cannot read the log");
            }
            std::for_each(page.begin(), page.end(), PrintLogLine);
        }
        return kOk;
    }
    CLogPager pager(db);
    if (!pager.FetchMore(page)) {
        return Fail(kError, "cannot read the log");
    }
    std::for_each(page.rbegin(), page.rend(), PrintLogLine);
    if (pager.CanFetchMore()) {
        std::fprintf(stderr, "warrowctl: the newest %zu lines; 'log list --all' lists every line\n",
                     page.size());
    }
    return kOk;
}

int Log(const Args& a) {
    CWarrowLog& log = *Core().GetLog();
    if (!a.empty() && a[0] == "list" && (a.size() == 1 || (a.size() == 2 && a[1] == "--all"))) {
        return ListLog(a.size() == 2);
    }
    if (a.size() == 2 && a[0] == "add") {
        return log.Log(a[1].c_str()) ? kOk : Fail(kError, "cannot append to the log");
    }
    if (a.size() == 1 && a[0] == "clear") {
        return log.Clear() ? kOk : Fail(kError, "cannot clear the log");
    }
    return Fail(kError, "log: expected list [--all], add TEXT or clear");
}

int Account(const Args& a) {
    if (!a.empty()) {
        return Fail(kError, "account takes no arguments");
    }
    const tagSystemInfo& info = Core().GetDBConfig()->GetInfo();
    PrintRecord({std::to_string(info.ID), info.UserName, std::to_string(info.Style)});
    return kOk;
}

int Volume(const Args& a) {
    CVolumeControl& volume = *Core().GetVolumeControl();
    if (a.size() > 1) {
        return Fail(kError, "volume takes at most one VALUE");
    }
    if (a.size() == 1) {
        long value = 0;
        if (!ParseInt(a[0], value) || value < 0 || value > 65535) {
            return Fail(kError, "VALUE must be a number from 0 to 65535");
        }
        if (!volume.HasDevice()) {
            return Fail(kRefused, "no sound device");
        }
        volume.SetVolume(value);
    }
    std::printf("%ld\n", volume.GetVolume());
    return kOk;
}

void CollectError(const char* message) {
    g_libraryErrors.emplace_back(message);
}

// Commands that work on the database need it open; say why when it is not.
bool OpenLibrary() {
    CDBManager::SetDefaultErrorHook(&CollectError);
    CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, &CollectError);
    if (CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword) != nullptr) {
        return true;
    }
    std::string reason;
    for (const auto& e : g_libraryErrors) {
        if (e.rfind("连接数据库失败", 0) == 0) {
            reason = e.substr(e.find(':') + 1);
        }
    }
    Fail(kError, std::string(kDataBasePath) + ": cannot open (" + (reason.empty() ? "missing" : reason) +
                     "); run 'warrowctl init' in the installation folder");
    return false;
}

} // namespace

int main(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    bool verbose = false;
    if (!args.empty() && args[0] == "--verbose") {
        verbose = true;
        args.erase(args.begin());
    }
    if (args.size() >= 2 && args[0] == "--dir") {
        if (!platform::ChangeDirectory(args[1])) {
            return Fail(kError, args[1] + ": " + std::strerror(errno));
        }
        args.erase(args.begin(), args.begin() + 2);
    } else if (::access("Config.ini", F_OK) != 0 && (args.empty() || args[0] != "init")) {
        // Run by its full path from elsewhere (sudo /opt/warrow/warrowctl ...):
        // the installation it belongs to, not the current folder.
        const std::string own = platform::ProgramDirectory();
        if (::access(platform::JoinPath(own, "Config.ini").c_str(), F_OK) == 0) {
            platform::ChangeDirectory(own);
        }
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? kError : kOk;
    }
    // Records go to standard output; statement traces, when asked for, to
    // standard error so they never mix with them.
    if (verbose || CDataBase::TraceStream() != nullptr) {
        CDataBase::SetTraceStream(stderr);
    }

    const std::string command = args[0];
    const Args rest(args.begin() + 1, args.end());
    if (command == "init") {
        return Init(rest);
    }
    if (command == "config") {
        return ShowConfig(rest);
    }
    if (command == "changestyle") {
        return ChangeStyle(rest);
    }
    if (command == "child") {
        return ChildCommand(rest);
    }
    if (command == "protect") {
        return ProtectCommand(rest, platform::CurrentDirectory());
    }
    if (command == "doctor") {
        return Doctor(rest);
    }
    static const std::map<std::string, std::function<int(const Args&)>> kLibraryCommands = {
        {"apps", Apps},
        {"web", Web},
        {"log", Log},
        {"account", Account},
        {"volume", Volume},
        {"schedule", [](const Args& a) { return warrowctl::Schedule(SettingsDb(), a); }},
        {"usage", [](const Args& a) { return warrowctl::Usage(SettingsDb(), a); }}};
    const auto found = kLibraryCommands.find(command);
    if (found == kLibraryCommands.end()) {
        return Fail(kError, "unknown command '" + command + "'\n" + kUsage);
    }
    if (!OpenLibrary()) {
        return kError;
    }
    const int status = found->second(rest);
    CWarrowCoreInterface::Free();
    return status;
}
