#pragma once

struct tagIEInfo;

// Derives a page's match key from its address and restriction level:
// level 0 the whole address (with "/" after a bare host), level 1 scheme and
// host, level 2 the host's domain. An https:// address gets the key of its
// http:// form. Refuses addresses that are neither http:// nor https:// or
// whose host has fewer than 3 characters, leaving `info` unchanged.
bool DeriveKey(tagIEInfo& info);
