#pragma once
// The console page that edits the child browser's web tree: folders and pages,
// their names, addresses and restriction levels. Changes stay in the web-tree
// manager's memory until they are saved.

#include "console/CDlgPageBase.h"

class CDlgPageExplorer : public CDlgPageBase {
public:
    using CDlgPageBase::CDlgPageBase;

    // Rebuilds the tree from the manager's memory (unsaved changes included).
    void Reload() {}
    // Whether the tree changed since the last save; the main window asks
    // before it hides.
    bool IsDirty() const { return m_bDirty != 0; }
    void Save() {}

protected:
    int m_bDirty = 0;
};
