#include "console/SetupGuideLists.h"

#include "core/AppAdder.h"
#include "core/CWriteListMng.h"
#include "core/WebKey.h"

#include <set>

namespace console {

int AddCheckedPrograms(CWriteListMng& list, const std::vector<std::string>& files) {
    int added = 0;
    for (const std::string& file : files) {
        const std::size_t before = list.Size();
        if (AddApp(list, file) && list.Size() > before) {
            ++added;
        }
    }
    return added;
}

std::vector<tagIEInfo> PrepareFavorites(const std::vector<tagBookmark>& bookmarks) {
    std::vector<tagIEInfo> offered;
    std::set<std::string> titles;
    for (const tagBookmark& bookmark : bookmarks) {
        tagIEInfo page;
        page.Name = bookmark.title;
        page.Url = bookmark.url;
        page.Level = 0;
        page.IsDir = false;
        if (titles.count(page.Name) != 0 || !DeriveKey(page)) {
            continue;
        }
        titles.insert(page.Name);
        offered.push_back(std::move(page));
    }
    return offered;
}

int AddCheckedFavorites(CIEListMng& tree, const std::vector<tagIEInfo>& chosen) {
    const tagIEInfo* folder = tree.Find(kFavoritesFolder);
    if (folder == nullptr) {
        tagIEInfo created;
        created.Name = kFavoritesFolder;
        created.Level = 0;
        created.IsDir = true;
        folder = tree.Insert(nullptr, created, CIEListMng::Tree::INSERT_LAST);
    }
    // Pages filed under a page would make a third level the editor and the
    // browser do not show.
    if (folder == nullptr || !folder->IsDir) {
        return -1;
    }
    int added = 0;
    for (const tagIEInfo& page : chosen) {
        if (tree.Find(page.Name.c_str()) != nullptr) {
            continue;
        }
        if (tree.Insert(kFavoritesFolder, page, CIEListMng::Tree::INSERT_LAST) != nullptr) {
            ++added;
        }
    }
    if (added > 0 && !tree.Save()) {
        return -1;
    }
    return added;
}

} // namespace console
