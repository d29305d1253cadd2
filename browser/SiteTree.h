#pragma once
// The web tree as the browser shows it: every folder at the top, every site
// under the folder that last precedes it (at the top before any folder).

#include <string>
#include <vector>

class CIEListMng;
struct tagIEInfo;

struct SiteTreeItem {
    std::string name;
    const tagIEInfo* site = nullptr; // null for a folder
    int parent = -1;                 // index of the folder item, -1 at the top
};

// Items in the tree's list order; a parent always comes before its children.
std::vector<SiteTreeItem> BuildSiteTree(const CIEListMng& web);

// The address a double-click opens: the site's Url, or empty for a folder.
std::string SiteToOpen(const SiteTreeItem& item);
