#pragma once
// What the setup guide's steps do with what the parent checked, apart from
// their windows: programs go to the allow-list at once, bookmarks into the
// web tree's "收藏夹" folder.

#include "console/BrowserBookmarks.h"
#include "core/CIEListMng.h"

#include <string>
#include <utility>
#include <vector>

class CWriteListMng;

namespace console {

// The name of the web-tree folder that receives the guide's bookmarks.
inline constexpr const char* kFavoritesFolder = "收藏夹";

// Adds each program (a desktop entry or an executable) as the page's drop
// does; returns how many names the allow-list did not hold before.
int AddCheckedPrograms(CWriteListMng& list, const std::vector<std::string>& files);

// The bookmarks offered as web-tree pages: one per title (the first read),
// in reading order, each with its key derived at level 0; bookmarks whose
// address gets no key (not a web address) are left out.
std::vector<tagIEInfo> PrepareFavorites(const std::vector<tagBookmark>& bookmarks);

// Puts the chosen pages last into the "收藏夹" folder, creating it at the end
// of the tree when it is missing; a page whose name the tree already holds
// is left out. Saves the tree when something was added. Returns how many
// were added, or -1 when the folder could not be had (a page of that name
// is in the way) or the save failed.
int AddCheckedFavorites(CIEListMng& tree, const std::vector<tagIEInfo>& chosen);

} // namespace console
