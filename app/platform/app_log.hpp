#pragma once

#include <QLoggingCategory>
#include <QString>

class QWidget;

namespace velmora {

// Diagnostic lines about document and window handling: subsystem "com.kestrum-software.ostrevo",
// category "document". Ordinary lines go out with qCInfo, failures with qCCritical; they carry
// no behaviour. Enable or silence them with QT_LOGGING_RULES.
Q_DECLARE_LOGGING_CATEGORY(documentLog)

namespace AppLog {
// "window=nil" for no window, otherwise "frame=(x,y,wxh) visible=true|false", numbers whole.
[[nodiscard]] QString describe(const QWidget* window);
} // namespace AppLog

} // namespace velmora
