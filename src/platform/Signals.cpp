#include "Signals.h"

#include <csignal>
#include <pthread.h>

namespace fray {

void waitForTerminationSignal(const std::function<void()>& start) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    start();
    int sig = 0;
    sigwait(&set, &sig);
}

} // namespace fray
