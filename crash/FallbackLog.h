#pragma once
// The short log the crashed thread writes itself when the writer process is
// missing, dead or too slow: header, system title, exception, registers, the
// stack sections with the crashing frame only, and the global section. It
// uses only async-signal-safe calls.

#include "crash/CrashRequest.h"

void WriteFallbackLog(int fd, const tagCrashRequest& req) noexcept;
