#include "cli/interrupt.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};

extern "C" void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(pipeEnds[1], &byte, 1);
}

} // namespace

Interrupt::Interrupt(QObject* parent) : QObject(parent) {
    if (::pipe(pipeEnds) != 0)
        return;
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] ssize_t got = ::read(pipeEnds[0], &byte, 1);
        emit raised();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

Interrupt::~Interrupt() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete notifier;
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        pipeEnds[0] = pipeEnds[1] = -1;
    }
}
