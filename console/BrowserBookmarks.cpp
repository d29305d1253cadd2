#include "console/BrowserBookmarks.h"

#include "ltl/CIni.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace console {
namespace {

namespace fs = std::filesystem;

// A Bookmarks file of tens of thousands of entries stays below a few
// megabytes; anything far larger is not one, and is not read into memory.
constexpr qint64 kMaxBookmarksFileSize = 64 * 1024 * 1024;
// Folders deeper than this are not followed (a hostile file could nest
// without end).
constexpr int kMaxFolderDepth = 64;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Append(std::vector<tagBookmark>& out, std::string title, std::string url) {
    if (url.empty()) {
        return;
    }
    if (title.empty()) {
        title = url;
    }
    out.push_back({std::move(title), std::move(url)});
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

// Bookmarks in creation order. Bookmarks filed under a tag folder are the
// tags themselves, not bookmarks the user sees in a menu.
constexpr const char* kPlacesQuery =
    "SELECT b.title, p.url FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk "
    "WHERE b.type = 1 AND b.parent NOT IN (SELECT t.id FROM moz_bookmarks t WHERE t.parent IN "
    "(SELECT r.id FROM moz_bookmarks r WHERE r.guid = 'tags________')) ORDER BY b.id";

void ReadChromiumNode(const QJsonObject& node, int depth, std::vector<tagBookmark>& out) {
    const QString type = node.value(QStringLiteral("type")).toString();
    if (type == QStringLiteral("url")) {
        Append(out, node.value(QStringLiteral("name")).toString().toStdString(),
               node.value(QStringLiteral("url")).toString().toStdString());
        return;
    }
    if (depth >= kMaxFolderDepth) {
        return;
    }
    for (const QJsonValue child : node.value(QStringLiteral("children")).toArray()) {
        ReadChromiumNode(child.toObject(), depth + 1, out);
    }
}

} // namespace

std::vector<tagBookmark> ReadFirefoxPlaces(const std::string& placesFile) {
    std::vector<tagBookmark> bookmarks;
    QTemporaryDir copyFolder;
    if (!copyFolder.isValid()) {
        return bookmarks;
    }
    const std::string copy = copyFolder.filePath(QStringLiteral("places.sqlite")).toStdString();
    std::error_code error;
    if (!fs::copy_file(placesFile, copy, error)) {
        return bookmarks;
    }
    // Without its log the copy would lack whatever Firefox has not yet
    // written back into the main file.
    if (fs::exists(placesFile + "-wal", error)) {
        fs::copy_file(placesFile + "-wal", copy + "-wal", error);
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, kPlacesQuery, -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                Append(bookmarks, ColumnText(statement, 0), ColumnText(statement, 1));
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return bookmarks;
}

std::vector<tagBookmark> ReadChromiumBookmarks(const std::string& bookmarksFile) {
    std::vector<tagBookmark> bookmarks;
    QFile file(QString::fromStdString(bookmarksFile));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBookmarksFileSize) {
        return bookmarks;
    }
    const QJsonObject roots = QJsonDocument::fromJson(file.read(kMaxBookmarksFileSize))
                                  .object()
                                  .value(QStringLiteral("roots"))
                                  .toObject();
    for (const char* root : {"bookmark_bar", "other", "synced"}) {
        ReadChromiumNode(roots.value(QLatin1String(root)).toObject(), 0, bookmarks);
    }
    return bookmarks;
}

std::vector<std::string> FirefoxPlacesFiles(const std::string& firefoxFolder) {
    std::vector<std::string> files;
    ltl::CIni profiles;
    if (!profiles.Open((firefoxFolder + "/profiles.ini").c_str())) {
        return files;
    }
    std::vector<std::string> sections;
    profiles.GetSectionNames(sections);
    for (const std::string& section : sections) {
        if (section.rfind("Profile", 0) != 0) {
            continue;
        }
        const std::string path = profiles.GetString(section.c_str(), "Path");
        if (path.empty()) {
            continue;
        }
        const bool relative = profiles.GetString(section.c_str(), "IsRelative") != "0";
        const std::string places = (relative ? firefoxFolder + "/" + path : path) + "/places.sqlite";
        std::error_code error;
        if (fs::is_regular_file(places, error)) {
            files.push_back(places);
        }
    }
    return files;
}

std::vector<std::string> ChromiumBookmarkFiles(const std::string& browserFolder) {
    std::vector<std::string> files;
    std::error_code error;
    for (fs::directory_iterator it(browserFolder, error), end; !error && it != end; it.increment(error)) {
        const fs::path bookmarks = it->path() / "Bookmarks";
        std::error_code fileError;
        if (it->is_directory(fileError) && fs::is_regular_file(bookmarks, fileError)) {
            files.push_back(bookmarks.string());
        }
    }
    std::sort(files.begin(), files.end()); // "Default" before "Profile 1", whatever the folder's order
    return files;
}

tagBookmarkSources UserBookmarkSources() {
    tagBookmarkSources sources;
    const std::string home = Env("HOME");
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty()) {
        config = home + "/.config";
    }
    if (!home.empty()) {
        sources.firefoxFolders = {home + "/.mozilla/firefox", home + "/snap/firefox/common/.mozilla/firefox",
                                  home + "/.var/app/org.mozilla.firefox/.mozilla/firefox"};
    }
    if (!config.empty()) {
        for (const char* browser :
             {"chromium", "google-chrome", "google-chrome-beta", "google-chrome-unstable",
              "BraveSoftware/Brave-Browser", "microsoft-edge", "vivaldi"}) {
            sources.chromiumFolders.push_back(config + "/" + browser);
        }
    }
    if (!home.empty()) {
        sources.chromiumFolders.push_back(home + "/snap/chromium/common/chromium");
        sources.chromiumFolders.push_back(home + "/.var/app/org.chromium.Chromium/config/chromium");
        sources.chromiumFolders.push_back(home + "/.var/app/com.google.Chrome/config/google-chrome");
    }
    return sources;
}

std::vector<tagBookmark> ReadBookmarks(const tagBookmarkSources& sources) {
    std::vector<tagBookmark> all;
    auto take = [&all](std::vector<tagBookmark> some) {
        all.insert(all.end(), std::make_move_iterator(some.begin()), std::make_move_iterator(some.end()));
    };
    for (const std::string& folder : sources.firefoxFolders) {
        for (const std::string& places : FirefoxPlacesFiles(folder)) {
            take(ReadFirefoxPlaces(places));
        }
    }
    for (const std::string& folder : sources.chromiumFolders) {
        for (const std::string& file : ChromiumBookmarkFiles(folder)) {
            take(ReadChromiumBookmarks(file));
        }
    }
    return all;
}

} // namespace console
