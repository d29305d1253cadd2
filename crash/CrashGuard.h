#pragma once
// Guarded phases. A crash inside a phase that the crash handler has logged
// ends the phase: RunGuarded returns false and the caller decides whether the
// program goes on or exits. Objects of the phase are not destroyed (the
// phase is left by a jump out of the signal handler), as after a structured
// exception on Windows.

#include <csetjmp>
#include <type_traits>

bool RunGuardedCall(void (*phase)(void*), void* arg);

// Returns true when `phase` ran to its end, false when a crash ended it.
template <class F> bool RunGuarded(F&& phase) {
    using Phase = std::remove_reference_t<F>;
    return RunGuardedCall([](void* p) { (*static_cast<Phase*>(p))(); }, &phase);
}

// Gives the calling thread an alternate signal stack, so that a stack
// overflow on it can still be logged. RunGuarded and InstallCrashHandler call
// it for their own thread.
bool PrepareCrashThread() noexcept;

// The innermost guard of the calling thread, or null.
sigjmp_buf* CurrentCrashGuard() noexcept;
