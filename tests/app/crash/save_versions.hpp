#pragma once

#include "app/shell/restore_list.hpp"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace velmora::test {

// Version `n` of a large document file: about 400 kB whose every line names the version,
// so that a torn file (parts of two versions, or a cut-off one) never equals any version.
inline QByteArray documentVersion(int version) {
    const QByteArray line = "{\"item\": \"version " + QByteArray::number(version) + "\"},\n";
    QByteArray bytes = "[\n" + line.repeated(400'000 / line.size()) + "{}]\n";
    return bytes;
}

// The version a document file holds, when it is exactly one of the versions.
inline std::optional<int> documentVersionOf(const QByteArray& bytes) {
    const qsizetype start = bytes.indexOf("version ");
    if (start < 0) {
        return std::nullopt;
    }
    const qsizetype end = bytes.indexOf('"', start);
    bool ok = false;
    const int version = bytes.mid(start + 8, end - start - 8).toInt(&ok);
    if (!ok || documentVersion(version) != bytes) {
        return std::nullopt;
    }
    return version;
}

// Version `n` of the restore list: two hundred documents, the version in every entry.
inline QList<RestoreEntry> restoreListVersion(int version) {
    QList<RestoreEntry> entries;
    for (int index = 0; index < 200; ++index) {
        entries.append({QStringLiteral("/documents/%1/%2.quenlith").arg(version).arg(index), {}});
    }
    return entries;
}

} // namespace velmora::test
