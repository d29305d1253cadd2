#pragma once
// Hands an open file descriptor over a Unix socket (SCM_RIGHTS). Both ends
// are async-signal-safe: the crashed thread sends, the writer receives.

bool SendFd(int sock, int fd) noexcept;
// The received descriptor (close-on-exec), or -1.
int ReceiveFd(int sock) noexcept;
