#include "app/platform/data_folder.hpp"

#include <QDir>
#include <QStandardPaths>

namespace velmora {

QString DataFolder::location() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("ostrevo"));
}

} // namespace velmora
