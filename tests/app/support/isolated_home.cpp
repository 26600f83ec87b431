#include "tests/app/support/isolated_home.hpp"

#include <QDir>

#include <cstdlib>
#include <sys/stat.h>

namespace velmora::test {

IsolatedHome::IsolatedHome() {
    const QString root = m_dir.path();
    const auto set = [&root](const char* name, const QString& sub) {
        const QString path = QDir(root).filePath(sub);
        QDir().mkpath(path);
        ::setenv(name, QDir::toNativeSeparators(path).toLocal8Bit().constData(), 1);
        return path;
    };
    set("HOME", QStringLiteral("home"));
    set("XDG_CONFIG_HOME", QStringLiteral("home/.config"));
    set("XDG_DATA_HOME", QStringLiteral("home/.local/share"));
    set("XDG_CACHE_HOME", QStringLiteral("home/.cache"));
    set("XDG_STATE_HOME", QStringLiteral("home/.local/state"));
    const QString runtime = set("XDG_RUNTIME_DIR", QStringLiteral("runtime"));
    // Qt only uses a runtime folder that nobody else may enter.
    ::chmod(runtime.toLocal8Bit().constData(), 0700);
    ::unsetenv("XDG_DOCUMENTS_DIR");
    ::setenv("LANGUAGE", "en", 1);
}

} // namespace velmora::test
