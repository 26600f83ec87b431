#include "app/panels/panel_support.hpp"

#include "app/platform/app_language.hpp"
#include "core/commands/help_catalog.hpp"
#include "core/commands/resources.hpp"

#include <QApplication>
#include <QFont>
#include <QPalette>

namespace velmora::PanelSupport {

std::string_view helpText(const QString& languageCode) {
    return Resources::helpText(languageCode.toStdString());
}

HelpDocument currentHelp() {
    return HelpCatalog::parse(helpText(currentLanguageCode()));
}

std::optional<ColorLabel> labelOf(Action action) {
    const std::string_view raw = rawValue(action);
    constexpr std::string_view prefix = "label-";
    if (!raw.starts_with(prefix) || raw.size() != prefix.size() + 1) {
        return std::nullopt;
    }
    const char digit = raw.back();
    if (digit < '1' || digit > '7') {
        return std::nullopt;
    }
    return ColorLabels::allCases[static_cast<std::size_t>(digit - '1')];
}

QColor tertiaryText(const QPalette& palette) {
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.3f);
    return color;
}

QColor quaternaryFill(const QPalette& palette) {
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.1f);
    return color;
}

double scaled(double points) {
    const QFont font = QApplication::font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    return points * base / 13.0;
}

QFont font(double points, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPointSizeF(scaled(points));
    font.setWeight(weight);
    return font;
}

} // namespace velmora::PanelSupport
