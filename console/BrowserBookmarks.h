#pragma once
// The user's web-browser bookmarks, which the setup guide offers for the web
// tree: Firefox (places.sqlite of each profile) and the Chromium family
// (each profile's Bookmarks file). Reading never changes a browser's files.

#include <string>
#include <vector>

namespace console {

struct tagBookmark {
    std::string title; // the address itself when the bookmark has no title
    std::string url;
};

// The bookmarks of one Firefox places.sqlite, oldest first, without tag
// entries. The file is copied (with its write-ahead log, where recent
// bookmarks wait) and the copy is read, since a running Firefox holds the
// original locked. Empty when the file cannot be read.
std::vector<tagBookmark> ReadFirefoxPlaces(const std::string& placesFile);

// The bookmarks of one Chromium-family Bookmarks file (JSON), in the order
// the browser shows them: bookmark bar, other bookmarks, mobile bookmarks.
std::vector<tagBookmark> ReadChromiumBookmarks(const std::string& bookmarksFile);

// places.sqlite of every profile listed in `firefoxFolder`/profiles.ini.
std::vector<std::string> FirefoxPlacesFiles(const std::string& firefoxFolder);
// The Bookmarks file of every profile folder (Default, Profile 1, ...) of a
// browser's configuration folder.
std::vector<std::string> ChromiumBookmarkFiles(const std::string& browserFolder);

// Where the user's browsers keep their profiles, from $HOME and
// $XDG_CONFIG_HOME, including their Snap and Flatpak homes.
struct tagBookmarkSources {
    std::vector<std::string> firefoxFolders;
    std::vector<std::string> chromiumFolders;
};
tagBookmarkSources UserBookmarkSources();

// Firefox's bookmarks first, then Chromium's, each browser's profiles in turn.
std::vector<tagBookmark> ReadBookmarks(const tagBookmarkSources& sources);

} // namespace console
