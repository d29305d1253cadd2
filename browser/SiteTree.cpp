#include "browser/SiteTree.h"

#include "core/CIEListMng.h"

std::vector<SiteTreeItem> BuildSiteTree(const CIEListMng& web) {
    std::vector<SiteTreeItem> items;
    int folder = -1;
    for (const auto& node : web.GetTree()) {
        const tagIEInfo& entry = node.Data;
        if (entry.IsDir) {
            folder = static_cast<int>(items.size());
            items.push_back({entry.Name, nullptr, -1});
        } else {
            items.push_back({entry.Name, &entry, folder});
        }
    }
    return items;
}

std::string SiteToOpen(const SiteTreeItem& item) {
    if (item.site == nullptr || item.site->IsDir) {
        return {};
    }
    return item.site->Url;
}
