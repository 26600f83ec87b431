#pragma once

#include <QWidget>

class QButtonGroup;
class QStackedLayout;
class QToolButton;

namespace velmora {

class HelpPanelController;
class PropertiesController;

// The side panel at the trailing edge of a document window: the selected item's properties
// and the help, one at a time behind a two-segment switch. The chosen segment is remembered
// for every window ("inspectorSegment").
class InspectorController : public QWidget {
    Q_OBJECT
public:
    enum class Segment { properties = 0, help = 1 };

    explicit InspectorController(QWidget* parent = nullptr);

    // Shows the segment's pane and remembers the choice.
    void select(Segment segment);
    [[nodiscard]] Segment segment() const { return m_segment; }
    // The segment a stored value chooses: 1 is help, anything else properties.
    [[nodiscard]] static Segment segmentFor(int stored);

    [[nodiscard]] PropertiesController& properties() const { return *m_properties; }
    [[nodiscard]] HelpPanelController& help() const { return *m_help; }
    [[nodiscard]] QToolButton* segmentButton(Segment segment) const;

    // Re-titles the switch and the captions in the interface language.
    void relocalize();

signals:
    // A segment was selected (by the switch or by the window); its pane is shown now.
    void segmentChanged();

private:
    PropertiesController* m_properties = nullptr;
    HelpPanelController* m_help = nullptr;
    QButtonGroup* m_segments = nullptr;
    QStackedLayout* m_container = nullptr;
    Segment m_segment = Segment::properties;
};

} // namespace velmora
