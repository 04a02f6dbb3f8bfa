#include "cli/interrupt.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Lives as long as the process: a signal may come at any moment until exit.
int pipeEnds[2] = {-1, -1};

extern "C" void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

void Interrupt::CatchSignals() {
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return;
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void Interrupt::ReleaseSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    char byte;
    if (pipeEnds[0] >= 0 && ::read(pipeEnds[0], &byte, 1) > 0) std::raise(SIGINT);
}

int Interrupt::WakeDescriptor() {
    return pipeEnds[0];
}

Interrupt::Interrupt(QObject* parent) : QObject(parent) {
    CatchSignals();
    if (pipeEnds[0] < 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
        }
        emit raised();
    });
}

// The signals stay caught: a Ctrl+C while a stopped render's worker removes its
// temporary must not kill the process before it has.
Interrupt::~Interrupt() {
    delete notifier;
}
