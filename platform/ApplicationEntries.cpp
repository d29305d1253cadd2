#include "platform/ApplicationEntries.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

// A desktop with a few hundred launchers is normal; a folder with more than
// this is not a menu, and scanning it whole would only stall the caller.
constexpr std::size_t kMaxFilesPerFolder = 20000;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::vector<std::string> SplitColons(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ':');) {
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

void AddOnce(std::vector<std::string>& folders, const std::string& folder) {
    const std::string trimmed =
        folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
    if (std::find(folders.begin(), folders.end(), trimmed) == folders.end()) {
        folders.push_back(trimmed);
    }
}

} // namespace

std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> dataFolders;
    const std::string home = Env("HOME");
    if (const std::string dataHome = Env("XDG_DATA_HOME"); !dataHome.empty()) {
        AddOnce(dataFolders, dataHome);
    } else if (!home.empty()) {
        AddOnce(dataFolders, home + "/.local/share");
    }
    const std::string dirs = Env("XDG_DATA_DIRS");
    for (const std::string& folder : SplitColons(dirs.empty() ? "/usr/local/share:/usr/share" : dirs)) {
        AddOnce(dataFolders, folder);
    }
    if (!home.empty()) {
        AddOnce(dataFolders, home + "/.local/share/flatpak/exports/share");
    }
    AddOnce(dataFolders, "/var/lib/flatpak/exports/share");
    std::vector<std::string> folders;
    for (const std::string& folder : dataFolders) {
        folders.push_back(folder + "/applications");
    }
    return folders;
}

std::vector<InstalledEntry> ScanApplications(const std::vector<std::string>& folders) {
    // id -> the entry, or nothing for a file of that id that is not an application
    std::map<std::string, std::optional<InstalledEntry>> found;
    for (const std::string& folder : folders) {
        std::error_code error;
        const fs::path root(folder);
        std::size_t files = 0;
        // Links to folders are not followed, so a link loop cannot hold the scan.
        for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end && files < kMaxFilesPerFolder; it.increment(error)) {
            ++files;
            const fs::path& path = it->path();
            if (path.extension() != ".desktop" || !it->is_regular_file(error)) {
                continue;
            }
            std::string id = path.lexically_relative(root).string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (found.count(id) != 0) {
                continue; // an earlier folder's entry of this id wins
            }
            auto entry = ReadDesktopEntry(path.string());
            if (!entry) {
                found.emplace(id, std::nullopt);
                continue;
            }
            found.emplace(id, InstalledEntry{id, path.string(), std::move(*entry)});
        }
    }
    std::vector<InstalledEntry> entries;
    for (auto& [id, entry] : found) {
        if (entry) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

} // namespace platform
