#include "rvStop.h"

#include <atomic>
#include <csignal>

namespace rvStop
{
namespace
{
// Written by the signal handler (on whichever thread the signal lands), read by the main thread.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free flag");
bool g_bLoadingStopped = false;

extern "C" void OnStopSignal(int signal)
{
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
}
} // namespace

bool (*pfnLoadingCheck)() = nullptr;

void InstallSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    // The handler runs once per kind: a second signal gets the default action and ends the process.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Signal()
{
    return g_signal.load();
}

int ExitStatusForSignal(int signal)
{
    return 128 + signal;
}

bool Requested()
{
    if (Signal()) return true;
    if (!g_bLoadingStopped && pfnLoadingCheck) g_bLoadingStopped = pfnLoadingCheck();
    return g_bLoadingStopped;
}

void Reset()
{
    g_signal.store(0);
    g_bLoadingStopped = false;
}
} // namespace rvStop
