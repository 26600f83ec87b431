#include "app/window/hoist_bar.hpp"

#include "app/platform/localization.hpp"
#include "core/model/text.hpp"

#include <algorithm>

#include <QHBoxLayout>
#include <QIcon>
#include <QStyle>
#include <QToolButton>

namespace velmora {
namespace {

QToolButton* makeButton(QWidget* parent, const QString& title, bool on) {
    auto* button = new QToolButton(parent);
    button->setText(title);
    button->setCheckable(true);
    button->setChecked(on);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QFont font = button->font();
    font.setPointSizeF(font.pointSizeF() * 12.0 / 13.0);
    button->setFont(font);
    return button;
}

} // namespace

HoistBar::HoistBar(QWidget* parent) : QWidget(parent), m_layout(new QHBoxLayout(this)) {
    setObjectName(QStringLiteral("hoistBar"));
    setFixedHeight(kHeight);
    m_layout->setContentsMargins(8, 4, 8, 4);
    m_layout->setSpacing(2);
    hide();
}

void HoistBar::rebuild(const std::vector<HoistTab>& tabs,
                       const std::optional<std::string>& active) {
    if (m_built && tabs == m_tabs && active == m_active) {
        return;
    }
    m_built = true;
    m_tabs = tabs;
    m_active = active;
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        // The pressed button may be the one asking for this rebuild: delete it later.
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    if (tabs.empty()) {
        hide();
        return;
    }
    const bool hoisted = active && std::any_of(tabs.begin(), tabs.end(), [&](const HoistTab& tab) {
                             return tab.id == *active;
                         });
    QToolButton* whole = makeButton(this, localized(QStringLiteral("hoist.whole")), !hoisted);
    whole->setObjectName(QStringLiteral("whole"));
    connect(whole, &QToolButton::clicked, this, [this] {
        if (onActivate) {
            onActivate(std::nullopt);
        }
    });
    m_layout->addWidget(whole);
    for (const HoistTab& tab : tabs) {
        const std::string title = Text::trimmed(tab.title);
        QToolButton* button = makeButton(this,
                                         title.empty() ? localized(QStringLiteral("hoist.branch"))
                                                       : mnemonicSafe(QString::fromStdString(title)),
                                         hoisted && tab.id == *active);
        button->setObjectName(QString::fromStdString(tab.id));
        button->setMaximumWidth(220);
        connect(button, &QToolButton::clicked, this, [this, id = tab.id] {
            if (onActivate) {
                onActivate(id);
            }
        });
        auto* close = new QToolButton(this);
        close->setObjectName(QStringLiteral("close:") + QString::fromStdString(tab.id));
        close->setAutoRaise(true);
        close->setIcon(QIcon::fromTheme(QStringLiteral("window-close"),
                                        style()->standardIcon(QStyle::SP_TitleBarCloseButton)));
        close->setIconSize(QSize(10, 10));
        close->setToolTip(localized(QStringLiteral("hoist.close")));
        connect(close, &QToolButton::clicked, this, [this, id = tab.id] {
            if (onClose) {
                onClose(id);
            }
        });
        m_layout->addWidget(button);
        m_layout->addWidget(close);
        m_layout->addSpacing(6);
    }
    m_layout->addStretch(1);
    show();
}

} // namespace velmora

namespace velmora {

void HoistBar::relocalize() {
    m_built = false;
    const auto tabs = m_tabs;
    const auto active = m_active;
    rebuild(tabs, active);
}

} // namespace velmora
