#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace velmora {

// The process-wide settings of the application and its folders.
namespace Application {

// Names the application (so QSettings and the standard folders are Ostrevo's own) and sets
// its icon and the desktop file it belongs to.
void configure(QCoreApplication& application);

// The files named on the command line, as absolute paths.
[[nodiscard]] QStringList filesFromArguments(const QStringList& arguments);

// The text `ostrevo --help` prints (also the source of the manual page).
[[nodiscard]] QString helpText();

// The entry point: runs Ostrevo (or hands the files to the running one) and returns the
// exit code.
int run(int argc, char** argv);

} // namespace Application
} // namespace velmora
