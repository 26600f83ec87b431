#pragma once

#include <QObject>

class QTimer;

namespace velmora {

class VelmoraDocument;

// When one document is autosaved: a while after its first unwritten change (steady typing
// cannot postpone the write), again after a write that left newer changes behind, and after a
// failure again and again, less and less often, until a write works. A failure is reported once
// per episode; the status line says the rest.
class AutosaveScheduler : public QObject {
    Q_OBJECT
public:
    // The longest pause between the retries of a failing autosave.
    static constexpr int maxRetryDelayMs = 60'000;

    // Watches `document` for changes to write, `delay` milliseconds after the first.
    AutosaveScheduler(VelmoraDocument& document, int delay, QObject* parent = nullptr);

    void setDelay(int milliseconds) { m_delay = milliseconds; }
    // Starts the wait for the next write, unless one is running or nothing is left to write.
    void schedule();
    // The write is being done now: no wait runs.
    void stop();
    [[nodiscard]] bool isScheduled() const;
    // The pause before the next try of a failing write; 0 outside a failure episode.
    [[nodiscard]] int retryDelay() const { return m_retryDelay; }

    // A write worked: a failure episode ends, and changes made meanwhile wait their turn.
    void noteWritten();
    // A save by the user worked: the next failure is reported again.
    void noteSaved() { m_failureReported = false; }
    // A write failed: it is tried again after a pause twice the last (at least the delay, at most
    // `maxRetryDelayMs`). True when the failure is the first of its episode, to be reported.
    [[nodiscard]] bool noteFailed();
    // The user is about to quit: a failure is reported again even within its episode.
    void reportNextFailure() { m_failureReported = false; }

signals:
    // Time to write the document.
    void due();

private:
    VelmoraDocument& m_document;
    QTimer* m_timer = nullptr;
    int m_delay = 0;
    int m_retryDelay = 0;
    bool m_failureReported = false;
};

} // namespace velmora
