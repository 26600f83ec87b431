#pragma once

#include "core/commands/action.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/commands/help_document.hpp"
#include "core/model/color_label.hpp"

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>
#include <string_view>

class QPalette;

namespace velmora {

// What the palette, the help panel and the inspector share: the help text of the interface
// language, the label of a "label-N" command and the faint text colours of a palette.
namespace PanelSupport {

// The help text for a language code: the language's own, else the English one, else the empty
// text (the built-in files under resources/help).
[[nodiscard]] std::string_view helpText(const QString& languageCode);

// The help text of the current interface language, parsed.
[[nodiscard]] HelpDocument currentHelp();

// The label a "label-N" command gives: 1 to 7 are red … gray; "label-0" and every other action
// give none.
[[nodiscard]] std::optional<ColorLabel> labelOf(Action action);

// Text that is less prominent than the secondary text (a command that cannot run now).
[[nodiscard]] QColor tertiaryText(const QPalette& palette);
// The faint fill behind a key cap.
[[nodiscard]] QColor quaternaryFill(const QPalette& palette);

// The size of a system font of `points` points on a 13-point desktop: the panels are laid out
// for that size and follow the desktop's font when it is larger or smaller.
[[nodiscard]] double scaled(double points);
// The application's font at that scaled size and the weight.
[[nodiscard]] QFont font(double points, QFont::Weight weight = QFont::Normal);

} // namespace PanelSupport
} // namespace velmora
