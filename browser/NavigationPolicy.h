#pragma once
// Which addresses the child browser opens: what the parent's web tree admits,
// with the browser's own limits on top.

#include <string>

class CIEListMng;

// Whether a page or frame may go to `address`. Web addresses (http, https)
// need the tree's consent. Any other scheme (file:, data:, about:, ...) needs
// the consent of an entry whose key begins with that scheme, since a domain
// key admits every address that merely contains it. Developer tools, source
// views and the engine's internal pages are never opened.
bool AdmitsAddress(const CIEListMng& web, const std::string& address);
