#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace velmora {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a `kill`, Ctrl+C in a terminal) into an orderly
// quit on the main thread, so the documents are saved as with File ▸ Quit. The handler only
// writes one byte into a socket; the event loop does the rest.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace velmora
