#include "qt/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <QSocketNotifier>

namespace plivora {

namespace {

constexpr std::array kSignals{SIGTERM, SIGHUP, SIGINT};

// The pipe from the signal handler to the event loop: a handler may only write to it.
int g_signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int /*signal*/) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request, which is all the loop needs.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void setDisposition(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> endPolitely)
    : m_endPolitely(std::move(endPolitely)) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without the pipe the signals keep their default effect: the program still ends, only
        // without storing its place.
        std::fprintf(stderr, "plivora: cannot watch for termination signals: %s\n",
                     std::strerror(errno));
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { received(); });
    setDisposition(&onTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier) {
        return;
    }
    setDisposition(SIG_DFL);
    m_notifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

void TerminationSignals::received() {
    char bytes[16];
    while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    m_notifier->setEnabled(false);
    setDisposition(SIG_DFL);
    m_endPolitely();
}

}  // namespace plivora
