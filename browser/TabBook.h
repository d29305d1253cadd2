#pragma once
// Tab bookkeeping of the browser: n pages in tabs 0..n-1 and one last tab
// "新建选项卡" that opens a new page when it is selected.

// Whether `tab` is the new-tab tab among `pages` pages.
inline bool IsNewTabTab(int tab, int pages) {
    return tab == pages;
}

// The tab to select after the page of tab `closed` went and `remaining`
// pages are left: the same place, or the new last page when the last one
// went, or 0 (which then opens a new empty page) when none is left.
inline int TabAfterClose(int closed, int remaining) {
    if (closed < remaining) {
        return closed;
    }
    return remaining > 0 ? remaining - 1 : 0;
}
