#include "app/document/autosave_scheduler.hpp"

#include "app/document/velmora_document.hpp"

#include <QTimer>

#include <algorithm>

namespace velmora {

AutosaveScheduler::AutosaveScheduler(VelmoraDocument& document, int delay, QObject* parent)
    : QObject(parent), m_document(document), m_timer(new QTimer(this)), m_delay(delay) {
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &AutosaveScheduler::due);
    // Every change worth writing (a step, an undo, text being typed) says so here, once.
    connect(&document, &VelmoraDocument::contentChanged, this, &AutosaveScheduler::schedule);
    // A save on the writer thread leaves the changes made while it was written: they are
    // written next, as after an autosave. A failed save was reported already.
    connect(&document, &VelmoraDocument::saveFinished, this,
            [this](const std::optional<DocumentError>& error) {
                if (!error) {
                    schedule();
                }
            });
}

void AutosaveScheduler::schedule() {
    // The wait runs from the first change on, so steady typing cannot postpone the write.
    if (m_document.hasUnautosavedChanges() && !m_timer->isActive()) {
        m_timer->start(m_delay);
    }
}

void AutosaveScheduler::stop() {
    m_timer->stop();
}

bool AutosaveScheduler::isScheduled() const {
    return m_timer->isActive();
}

void AutosaveScheduler::noteWritten() {
    m_failureReported = false;
    m_retryDelay = 0;
    schedule();
}

bool AutosaveScheduler::noteFailed() {
    // Tried again by itself (the disk may have room again, the folder may be back), less and
    // less often.
    m_retryDelay = std::min(maxRetryDelayMs, std::max(m_delay, m_retryDelay * 2));
    m_timer->start(m_retryDelay);
    const bool first = !m_failureReported;
    m_failureReported = true;
    return first;
}

} // namespace velmora
