#include "crash/CrashGuard.h"

#include <csignal>
#include <cstddef>
#include <sys/mman.h>

namespace {

// Read in the signal handler, so the model must not need a lazy allocation.
[[gnu::tls_model("initial-exec")]] thread_local sigjmp_buf* t_pGuard = nullptr;

// Enough for the handler and the fallback log, also under AddressSanitizer.
constexpr std::size_t kAltStackSize = 128 * 1024;

class CAltStack {
public:
    ~CAltStack() {
        if (m_pStack == nullptr)
            return;
        // Only take the stack away when it is still the one the thread uses.
        stack_t current{};
        if (sigaltstack(nullptr, &current) == 0 && current.ss_sp == m_pStack &&
            (current.ss_flags & SS_ONSTACK) == 0) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            if (sigaltstack(&off, nullptr) == 0)
                munmap(m_pStack, kAltStackSize);
        }
    }

    bool Install() noexcept {
        stack_t current{};
        if (sigaltstack(nullptr, &current) != 0)
            return false;
        if ((current.ss_flags & SS_DISABLE) == 0 && current.ss_size >= kAltStackSize)
            return true;
        if (m_pStack == nullptr) {
            void* stack = mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
            if (stack == MAP_FAILED)
                return false;
            m_pStack = stack;
        }
        stack_t ours{};
        ours.ss_sp = m_pStack;
        ours.ss_size = kAltStackSize;
        return sigaltstack(&ours, nullptr) == 0;
    }

private:
    void* m_pStack = nullptr;
};

thread_local CAltStack t_altStack;

} // namespace

bool PrepareCrashThread() noexcept {
    return t_altStack.Install();
}

sigjmp_buf* CurrentCrashGuard() noexcept {
    return t_pGuard;
}

bool RunGuardedCall(void (*phase)(void*), void* arg) {
    PrepareCrashThread();
    sigjmp_buf env;
    sigjmp_buf* volatile previous = t_pGuard;
    // The handler jumps back here after it has logged a crash; the saved
    // signal mask is restored, so later crashes are caught again.
    if (sigsetjmp(env, 1) != 0) {
        t_pGuard = previous;
        return false;
    }
    t_pGuard = &env;
    try {
        phase(arg);
    } catch (...) {
        t_pGuard = previous;
        throw;
    }
    t_pGuard = previous;
    return true;
}
