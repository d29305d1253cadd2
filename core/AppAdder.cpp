#include "core/AppAdder.h"

#include "core/CWarrowCoreInterface.h"
#include "core/CWriteListMng.h"
#include "platform/DesktopEntry.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool IsProgramFile(const std::string& path) {
    return EndsWith(path, ".desktop") || IsExecutableFile(path);
}

bool AddApp(CWriteListMng& list, const std::string& path, tagAppInfo* added) {
    std::string target = path;
    std::string arguments;
    std::string displayName;
    if (EndsWith(path, ".desktop")) {
        tagLink link;
        if (ResolveIt(0, path.c_str(), link) < 0) {
            return false;
        }
        target = link.Target;
        arguments = link.Arguments;
        const auto entry = platform::ReadDesktopEntry(path);
        displayName =
            entry && !entry->name.empty() ? entry->name : BaseName(path).substr(0, BaseName(path).size() - 8);
    }
    if (!IsExecutableFile(target)) {
        return false;
    }
    // The entry names the program in its real folder (a bare name would store
    // no folder at all), under the name it was given: a program started
    // through a link may act on that name, and the window guard resolves the
    // link itself when it compares.
    const std::string name = BaseName(target);
    const auto slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    char* real = ::realpath(folder.c_str(), nullptr);
    if (real == nullptr) {
        return false;
    }
    std::string realFolder = real;
    std::free(real);
    if (realFolder.back() != '/') {
        realFolder += '/';
    }
    tagAppInfo info;
    info.AppName = name;
    info.AppPath = realFolder;
    info.Name = displayName.empty() ? name : displayName;
    info.AppParam = arguments;
    list.Add(info.AppName.c_str(), info, true);
    if (added != nullptr) {
        *added = info;
    }
    return true;
}
