#include "platform/core/MappingGuard.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <mutex>

namespace MappingGuard {
namespace {

thread_local sigjmp_buf *escape = nullptr;
struct sigaction busHandlerBefore {};

void onBusError(int signal, siginfo_t *info, void *context) {
    if (sigjmp_buf *to = escape) {
        escape = nullptr;
        siglongjmp(*to, 1);
    }
    // Not raised inside guarded work: what the signal did before. Returning runs the faulting
    // instruction again, which then meets the default action.
    if (busHandlerBefore.sa_flags & SA_SIGINFO) {
        busHandlerBefore.sa_sigaction(signal, info, context);
        return;
    }
    if (busHandlerBefore.sa_handler != SIG_DFL && busHandlerBefore.sa_handler != SIG_IGN) {
        busHandlerBefore.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
}

void catchBusErrors() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &busHandlerBefore);
    });
}

} // namespace

bool guarded(const std::function<void()> &work) {
    catchBusErrors();
    sigjmp_buf here;
    sigjmp_buf *const outer = escape;
    volatile bool finished = false;
    if (sigsetjmp(here, 1) == 0) {
        escape = &here;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        work();
        finished = true;
    }
    std::atomic_signal_fence(std::memory_order_seq_cst);
    escape = outer;
    return finished;
}

} // namespace MappingGuard
