#include "console/ParentPasswordCheck.h"

namespace console {

tagPasswordVerdict CheckParentPassword(bool firstSet, const tagPasswordEntries& entries,
                                       const std::string& stored) {
    if (!firstSet) {
        if (entries.oldText.empty()) {
            return {false, "请输入原密码"};
        }
        if (entries.oldText != stored) {
            return {false, "原密码不正确，请重新输入"};
        }
    }
    if (entries.newText.empty() || entries.confirmText.empty()) {
        return {false, nullptr};
    }
    if (entries.newText != entries.confirmText) {
        return {false, "密码不一致，请重新输入"};
    }
    return {true, nullptr};
}

} // namespace console
