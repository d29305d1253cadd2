#pragma once

#include "core/CBaseListMng.h"
#include "ltl/TreeLR.h"

#include <string>
#include <string_view>

// One entry of the web tree (table IEInfo): a folder or a page.
struct tagIEInfo {
    std::string Name; // how entries are found, inserted next to and erased
    std::string Url;  // the address shown and opened
    int Level = 0;    // 0: only the key itself is allowed; otherwise every address containing it
    std::string Key;  // what addresses are matched against
    bool IsDir = false;
};

// The tree of web sites the child may visit. Edits change memory only; Save
// rewrites the table.
class CIEListMng : public CBaseListMng {
public:
    using Tree = ltl::TreeLR<tagIEInfo>;

    bool Load() override;
    bool Save();
    tagIEInfo* Insert(const char* anchorName, const tagIEInfo& info, Tree::INSERT_TYPE type);
    void Erase(const char* name);
    tagIEInfo* Find(const char* name);
    // Whether the child may open this address. A key beginning with http://
    // also admits the address's https:// form.
    bool IsValid(const char* address) const;
    // Whether this one entry admits the address (folders admit nothing).
    static bool EntryAdmits(const tagIEInfo& info, std::string_view address);
    Tree& GetTree() { return m_tree; }
    const Tree& GetTree() const { return m_tree; }

private:
    Tree::Node* FindNode(const char* name);
    Tree m_tree;
};
