#include "app/printing/print_info.hpp"

#include "app/platform/preferences.hpp"

#include <QLocale>
#include <QPageSize>

#include <cmath>

namespace velmora {
namespace {

// Where the remembered print info lives among the preferences.
const QString kGroup = QStringLiteral("printInfo/");
const QString kPaperKey = kGroup + QStringLiteral("paper");
const QString kMarginsKey = kGroup + QStringLiteral("margins");
const QString kPrinterKey = kGroup + QStringLiteral("printer");

constexpr double kStandardMargin = 36;
// No paper side is shorter than an inch, and no margin takes more than half of that.
constexpr double kLargestMargin = 36 * 4;

std::optional<bool> boolean(const QVariantMap& settings, const QString& key) {
    const auto it = settings.find(key);
    if (it == settings.end() || it->typeId() != QMetaType::Bool) {
        return std::nullopt;
    }
    return it->toBool();
}

QPageSize localePaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
               ? QPageSize(QPageSize::Letter)
               : QPageSize(QPageSize::A4);
}

// Four margins in points (left, top, right, bottom), when the text holds them and they are sane.
std::optional<QMarginsF> readMargins(const QStringList& parts) {
    if (parts.size() != 4) {
        return std::nullopt;
    }
    double values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(values[i]) || values[i] < 0 || values[i] > kLargestMargin) {
            return std::nullopt;
        }
    }
    return QMarginsF(values[0], values[1], values[2], values[3]);
}

} // namespace

PrintInfo PrintInfo::standard() {
    PrintInfo info;
    info.pageLayout = QPageLayout(localePaper(), QPageLayout::Portrait,
                                  QMarginsF(kStandardMargin, kStandardMargin, kStandardMargin,
                                            kStandardMargin),
                                  QPageLayout::Point);
    return info;
}

std::optional<PrintOptions> PrintInfo::options() const {
    const auto asList = boolean(settings, asListKey);
    if (!asList) {
        return std::nullopt;
    }
    PrintOptions options;
    options.asList = *asList;
    options.fitsPage = boolean(settings, fitsPageKey).value_or(true);
    options.notes = boolean(settings, notesKey).value_or(true);
    return options;
}

PrintOptions PrintInfo::effectiveOptions() const {
    return options().value_or(PrintOptions{});
}

void PrintInfo::writeOptions(const PrintOptions& options, bool canvas) {
    settings.insert(asListKey, options.asList);
    settings.insert(fitsPageKey, options.fitsPage);
    settings.insert(notesKey, options.notes);
    if (options.asList || !canvas) {
        horizontal = Pagination::fit;
        vertical = Pagination::automatic;
    } else {
        horizontal = vertical = options.fitsPage ? Pagination::fit : Pagination::automatic;
    }
}

PrintInfo PrintInfo::remembered(const Preferences& preferences) {
    PrintInfo info = standard();
    if (auto key = preferences.storedString(kPaperKey)) {
        // Paper sizes are kept by their names ("A4", "Letter"); an unknown name is ignored.
        for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
            const auto size = static_cast<QPageSize::PageSizeId>(id);
            if (QPageSize::key(size) == *key && size != QPageSize::Custom) {
                info.pageLayout.setPageSize(QPageSize(size));
                break;
            }
        }
    }
    if (auto margins = readMargins(preferences.stringList(kMarginsKey))) {
        info.pageLayout.setMinimumMargins(QMarginsF());
        info.pageLayout.setMargins(*margins);
    }
    if (auto printer = preferences.storedString(kPrinterKey)) {
        info.printerName = *printer;
    }
    // The options and the way the paper is turned belong to each document: its first print
    // decides them (Page Setup and the print dialog change them), so none is taken from here.
    return info;
}

void PrintInfo::remember(Preferences& preferences) const {
    const QPageSize size = pageLayout.pageSize();
    if (size.id() != QPageSize::Custom) {
        preferences.setString(kPaperKey, QPageSize::key(size.id()));
    }
    const QMarginsF m = pageLayout.margins(QPageLayout::Point);
    preferences.setStringList(kMarginsKey,
                              {QString::number(m.left()), QString::number(m.top()),
                               QString::number(m.right()), QString::number(m.bottom())});
    preferences.setString(kPrinterKey, printerName);
}

} // namespace velmora
