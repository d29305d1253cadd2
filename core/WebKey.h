#pragma once

struct tagIEInfo;

// Derives a page's match key from its address and restriction level:
// level 0 the whole address (with "/" after a bare host), level 1 scheme and
// host, level 2 the host's domain. Refuses addresses that are not http://
// or whose host has fewer than 3 characters, leaving `info` unchanged.
bool DeriveKey(tagIEInfo& info);
