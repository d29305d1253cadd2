#pragma once

namespace deskguard {

// DG_SystemShutdown (DeskGuard.h says what it does).
int SystemShutdown(int how);

} // namespace deskguard
