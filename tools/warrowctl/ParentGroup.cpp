#include "tools/warrowctl/ParentGroup.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace parent_group {
namespace {

// Runs one of the system's account tools without a shell (names come from
// the command line and $SUDO_USER); its output goes to standard error so
// warrowctl's records stay alone on standard output.
bool RunTool(const std::string& tool, const std::vector<std::string>& arguments, std::string& error) {
    std::string program = tool;
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"}) {
        if (::access((folder + tool).c_str(), X_OK) == 0) {
            program = folder + tool;
            break;
        }
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = tool + " could not be started";
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = tool + " failed";
        return false;
    }
    return true;
}

} // namespace

std::string Name() {
    const char* name = std::getenv("WARROW_PARENT_GROUP");
    return name != nullptr && *name != '\0' ? name : "warrow";
}

bool Ensure(gid_t& gid, bool& created, std::string& error) {
    const std::string name = Name();
    created = false;
    if (const group* gr = ::getgrnam(name.c_str()); gr != nullptr) {
        gid = gr->gr_gid;
        return true;
    }
    if (!RunTool("groupadd", {"--system", name}, error)) {
        error = "cannot create the group " + name + ": " + error;
        return false;
    }
    const group* gr = ::getgrnam(name.c_str());
    if (gr == nullptr) {
        error = "the group " + name + " was created but cannot be found";
        return false;
    }
    gid = gr->gr_gid;
    created = true;
    return true;
}

bool IsMember(const std::string& user, const std::string& groupName) {
    const passwd* pw = ::getpwnam(user.c_str());
    const group* gr = ::getgrnam(groupName.c_str());
    if (pw == nullptr || gr == nullptr) {
        return false;
    }
    const gid_t wanted = gr->gr_gid;
    const gid_t primary = pw->pw_gid;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(user.c_str(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        ::getgrouplist(user.c_str(), primary, groups.data(), &count);
    }
    groups.resize(static_cast<std::size_t>(std::max(count, 0)));
    return std::find(groups.begin(), groups.end(), wanted) != groups.end();
}

bool AddMember(const std::string& user, std::string& error) {
    return RunTool("usermod", {"-aG", Name(), "--", user}, error);
}

} // namespace parent_group
