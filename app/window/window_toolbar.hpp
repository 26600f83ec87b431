#pragma once

#include "core/commands/action.hpp"
#include "core/model/color_label.hpp"

#include <QToolBar>

#include <functional>
#include <map>

class QActionGroup;
class QToolButton;
class QWidgetAction;

namespace velmora {

// The toolbar of a document window: adding, indenting, notes, hoisting, deleting, the command
// palette, the branch highlight, expanding everything, the three-way view switch and the label
// menu, those of them the user chose in the order chosen (ToolbarItems); hidden when the user
// hid it. Every item performs an action through `onPerform`; the items' state comes from
// `update`.
class WindowToolbar : public QToolBar {
    Q_OBJECT
public:
    explicit WindowToolbar(QWidget* parent = nullptr);

    // An item was chosen: the action it stands for (the view segments send viewList, viewTree
    // or viewMap, the highlight button toggleHighlight, the label menu label0 … label7).
    std::function<void(Action action)> onPerform;
    // Whether an action can run now (items are enabled by it).
    std::function<bool(Action action)> canPerform;

    // Shows the view, the branch highlight state and the enabled items.
    void update(ViewMode view, bool highlightBranch);
    // Re-reads the labels in the current interface language.
    void relocalize();

    // The item of an action (its object name is the action's raw value), for tests.
    [[nodiscard]] QAction* actionFor(Action action) const;

    // Lays the items out in the order of their identifiers (ToolbarItems), with the separators
    // between groups and the trailing items at the far end.
    void arrange(const QStringList& ids);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* addItem(Action action, const QString& labelKey);
    void addViewSwitch();
    void showViewSwitch();
    void addLabelMenu();
    // Shows, hides and arranges the toolbar as the preferences say.
    void applyPreferences();

    std::map<Action, QAction*> m_items;
    std::map<Action, QString> m_labelKeys;
    QActionGroup* m_views = nullptr;
    QToolButton* m_labels = nullptr;
    QWidgetAction* m_labelsAction = nullptr;
    QWidgetAction* m_spacer = nullptr;
    QList<QAction*> m_separators;
};

namespace ToolbarIcons {
// The icon of a toolbar action: from the desktop's icon theme, else drawn here.
[[nodiscard]] QIcon icon(Action action);
// Three segments side by side: the view switch, in lists of the toolbar's items.
[[nodiscard]] QIcon viewSwitch();
// A round swatch of a label colour (none: an empty ring), for the label menu.
[[nodiscard]] QIcon labelSwatch(std::optional<ColorLabel> label);
} // namespace ToolbarIcons

} // namespace velmora
