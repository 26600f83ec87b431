#include "app/platform/app_log.hpp"

#include <QWidget>

namespace velmora {

Q_LOGGING_CATEGORY(documentLog, "com.kestrum-software.ostrevo.document", QtInfoMsg)

QString AppLog::describe(const QWidget* window) {
    if (!window) {
        return QStringLiteral("window=nil");
    }
    const QRect frame = window->frameGeometry();
    return QStringLiteral("frame=(%1,%2,%3x%4) visible=%5")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(window->isVisible() ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace velmora
