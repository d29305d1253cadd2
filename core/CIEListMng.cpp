#include "core/CIEListMng.h"

#include "core/CDBRecordset.h"
#include "core/CDataBase.h"
#include "ltl/IniDocument.h"

#include <string_view>

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    if (needle.size() > haystack.size()) {
        return false;
    }
    const char first = Lower(needle.front());
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (Lower(haystack[i]) == first && ltl::EqualsNoCase(haystack.substr(i, needle.size()), needle)) {
            return true;
        }
    }
    return false;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && ltl::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool KeyMatches(std::string_view url, std::string_view key, int level) {
    return level != 0 ? ContainsNoCase(url, key) : ltl::EqualsNoCase(url, key);
}

// Whether `url` holds, at `at`, the https:// form of the http:// key `key`.
bool SecureFormAt(std::string_view url, std::size_t at, std::string_view key) {
    const std::string_view rest = key.substr(7);
    return url.size() >= at + 8 + rest.size() && ltl::EqualsNoCase(url.substr(at, 8), "https://") &&
           ltl::EqualsNoCase(url.substr(at + 8, rest.size()), rest);
}

// Only the address itself in its https:// form: an https link that merely
// quotes an allowed site (a share button's ?url=https://..., a login's return
// address) is no more admitted than its http:// form would be elsewhere.
bool SecureFormMatches(std::string_view url, std::string_view key, int level) {
    return SecureFormAt(url, 0, key) && (level != 0 || url.size() == key.size() + 1);
}

} // namespace

bool CIEListMng::Load() {
    CDBRecordset rs;
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[IEInfo] ORDER BY [Left]", rs)) {
        return false;
    }
    for (int i = rs.Count(); i > 0; --i, rs.MoveNext()) {
        int left = 0, right = 0;
        tagIEInfo info;
        rs.GetField("Left", left);
        rs.GetField("Right", right);
        rs.GetField("Name", info.Name);
        rs.GetField("Url", info.Url);
        rs.GetField("Level", info.Level);
        rs.GetField("Key", info.Key);
        rs.GetField("IsDir", info.IsDir);
        m_tree.Append(left, right, info);
    }
    m_tree.Sort();
    return m_tree.CheckNumbering();
}

bool CIEListMng::Save() {
    if (m_pDB == nullptr) {
        return false;
    }
    // The whole tree is rewritten in one transaction, so a failure part-way
    // leaves the table as it was instead of empty.
    m_pDB->Execute("BEGIN IMMEDIATE");
    CDBRecordset rs;
    bool ok = m_pDB->Execute("DELETE * FROM[IEInfo]") && m_pDB->OpenRecordset("SELECT * FROM[IEInfo]", rs);
    m_tree.Sort();
    for (auto it = m_tree.begin(); ok && it != m_tree.end(); ++it) {
        ok = rs.AddNew() && rs.PutField("Left", it->Left) && rs.PutField("Right", it->Right) &&
             rs.PutField("Name", it->Data.Name) && rs.PutField("Url", it->Data.Url) &&
             rs.PutField("Level", it->Data.Level) && rs.PutField("Key", it->Data.Key) &&
             rs.PutField("IsDir", it->Data.IsDir) && rs.Update();
    }
    rs.Close();
    m_pDB->Execute(ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

CIEListMng::Tree::Node* CIEListMng::FindNode(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    return m_tree.FindIf([name](const tagIEInfo& info) { return info.Name == name; });
}

tagIEInfo* CIEListMng::Find(const char* name) {
    Tree::Node* node = FindNode(name);
    return node ? &node->Data : nullptr;
}

tagIEInfo* CIEListMng::Insert(const char* anchorName, const tagIEInfo& info, Tree::INSERT_TYPE type) {
    return m_tree.Insert(FindNode(anchorName), info, type);
}

void CIEListMng::Erase(const char* name) {
    if (Tree::Node* node = FindNode(name)) {
        m_tree.Erase(*node);
    }
}

bool CIEListMng::EntryAdmits(const tagIEInfo& info, std::string_view url) {
    // A key of only a scheme would admit every address: it admits none.
    if (info.IsDir || info.Key.empty() || ltl::EqualsNoCase(info.Key, "http://") ||
        ltl::EqualsNoCase(info.Key, "https://")) {
        return false;
    }
    if (KeyMatches(url, info.Key, info.Level)) {
        return true;
    }
    // Keys are stored in their http:// form, but sites redirect to https:
    // the same key in its https:// form is the same site.
    return StartsWithNoCase(info.Key, "http://") && SecureFormMatches(url, info.Key, info.Level);
}

bool CIEListMng::IsValid(const char* address) const {
    if (address == nullptr) {
        return false;
    }
    const std::string_view url(address);
    for (const auto& node : m_tree) {
        if (EntryAdmits(node.Data, url)) {
            return true;
        }
    }
    return false;
}
