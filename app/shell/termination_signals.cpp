#include "app/shell/termination_signals.hpp"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora {
namespace {

int g_sockets[2] = {-1, -1};

void handleSignal(int) {
    const char byte = 1;
    // Async-signal-safe: nothing but a write.
    [[maybe_unused]] const auto written = ::write(g_sockets[1], &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal)) {
    if (g_sockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_sockets) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_sockets[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_sockets[0], &byte, 1);
        if (m_onSignal) {
            m_onSignal();
        }
    });
    struct sigaction action {};
    action.sa_handler = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    delete m_notifier;
    m_notifier = nullptr;
    if (g_sockets[0] >= 0) {
        ::close(g_sockets[0]);
        ::close(g_sockets[1]);
        g_sockets[0] = g_sockets[1] = -1;
    }
}

} // namespace velmora
