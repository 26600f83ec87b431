#include "app/panels/inspector_controller.hpp"

#include "app/panels/help_panel.hpp"
#include "app/panels/properties_controller.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {
namespace {

struct SegmentLook {
    InspectorController::Segment segment;
    const char* title;   // the segment's text
    const char* toolTip; // and its tool tip
};

constexpr SegmentLook kSegments[] = {
    {InspectorController::Segment::properties, "inspector.properties", "menu.view.properties"},
    {InspectorController::Segment::help, "inspector.help", "menu.view.helpTab"},
};

} // namespace

InspectorController::InspectorController(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("inspector"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(0);

    auto* switchRow = new QHBoxLayout;
    switchRow->setContentsMargins(12, 0, 12, 0);
    switchRow->setSpacing(0);
    switchRow->addStretch(1);
    m_segments = new QButtonGroup(this);
    m_segments->setExclusive(true);
    for (const SegmentLook& look : kSegments) {
        auto* button = new QToolButton(this);
        button->setObjectName(
            QStringLiteral("inspector.segment.%1").arg(static_cast<int>(look.segment)));
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(96);
        // Two halves of one switch: the chosen one in the selection colour.
        const QString side =
            look.segment == Segment::properties ? QStringLiteral("left") : QStringLiteral("right");
        button->setStyleSheet(
            QStringLiteral("QToolButton { border: 1px solid palette(mid); padding: 3px 10px;"
                           " background: palette(button); color: palette(button-text);"
                           " border-top-%1-radius: 6px; border-bottom-%1-radius: 6px; }"
                           "QToolButton:checked { background: palette(highlight);"
                           " color: palette(highlighted-text); border-color: palette(highlight); }")
                .arg(side));
        m_segments->addButton(button, static_cast<int>(look.segment));
        switchRow->addWidget(button);
    }
    switchRow->addStretch(1);
    layout->addLayout(switchRow);

    m_properties = new PropertiesController(this);
    m_help = new HelpPanelController(this);
    m_container = new QStackedLayout;
    m_container->addWidget(m_properties);
    m_container->addWidget(m_help);
    layout->addLayout(m_container, 1);

    connect(m_segments, &QButtonGroup::idClicked, this,
            [this](int id) { select(id == 1 ? Segment::help : Segment::properties); });
    connect(&Notifications::shared(), &Notifications::languageChanged, this,
            &InspectorController::relocalize);
    relocalize();
    m_segment = segmentFor(Preferences().inspectorSegment());
    m_segments->button(static_cast<int>(m_segment))->setChecked(true);
    m_container->setCurrentIndex(static_cast<int>(m_segment));
}

InspectorController::Segment InspectorController::segmentFor(int stored) {
    return stored == 1 ? Segment::help : Segment::properties;
}

void InspectorController::select(Segment segment) {
    m_segment = segment;
    Preferences().setInt(PreferenceKeys::inspectorSegment, static_cast<int>(segment));
    m_segments->button(static_cast<int>(segment))->setChecked(true);
    m_container->setCurrentIndex(static_cast<int>(segment));
    emit segmentChanged();
}

QToolButton* InspectorController::segmentButton(Segment segment) const {
    return qobject_cast<QToolButton*>(m_segments->button(static_cast<int>(segment)));
}

void InspectorController::relocalize() {
    for (const SegmentLook& look : kSegments) {
        QAbstractButton* button = m_segments->button(static_cast<int>(look.segment));
        button->setText(localized(std::string_view(look.title)));
        button->setToolTip(localized(std::string_view(look.toolTip)));
        button->setAccessibleName(localized(std::string_view(look.toolTip)));
    }
    m_properties->relocalize();
}

} // namespace velmora
