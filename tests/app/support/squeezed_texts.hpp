#pragma once

#include <QStringList>

class QWidget;

namespace velmora::test {

// The texts inside `top` squeezed below the room they need: buttons and one-line labels narrower
// than their text, drop-down lists narrower than their longest choice.
[[nodiscard]] QStringList squeezedTexts(QWidget* top);

} // namespace velmora::test
