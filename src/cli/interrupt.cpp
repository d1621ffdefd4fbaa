// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <csignal>

namespace salvora::cli {
namespace {

// A signal handler can reach nothing but objects of static storage: this one pointer is the exception to
// keeping state in the session. It is lock-free, so setting it from the handler is async-signal-safe.
std::atomic<StopFlag*> g_interruptTarget{nullptr};
static_assert(std::atomic<StopFlag*>::is_always_lock_free && StopFlag::is_always_lock_free);

extern "C" void onInterrupt(int) {
    if (StopFlag* target = g_interruptTarget.load())
        target->store(true);
    // The next Ctrl+C ends the process.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

StopOnInterrupt::StopOnInterrupt(StopFlag& stop) {
    g_interruptTarget.store(&stop);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

StopOnInterrupt::~StopOnInterrupt() {
    std::signal(SIGINT, SIG_DFL);
    g_interruptTarget.store(nullptr);
}

} // namespace salvora::cli
