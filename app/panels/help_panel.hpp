#pragma once

#include "core/commands/action.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/commands/help_document.hpp"

#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace velmora {

class KeycapButton;

// The searchable help of the inspector: the help text of the interface language by topic, as
// the complete list of shortcuts, or as the hits of a search. Every key line shows the command's
// shortcut as a key cap that runs the command, dimmed when it cannot run now.
class HelpPanelController : public QWidget {
    Q_OBJECT
public:
    explicit HelpPanelController(QWidget* parent = nullptr);

    // Whether an action can run now; true until the window supplies it.
    std::function<bool(Action)> isEnabled = [](Action) { return true; };
    // Performs the action in the window.
    std::function<void(Action)> run = [](Action) {};
    // The editing preferences the shortcuts are shown for.
    std::function<EditorPreferences()> preferences = [] { return EditorPreferences{}; };
    // The help text to show; the one of the interface language unless replaced.
    std::function<HelpDocument()> helpSource;
    // The system beep for a key cap whose command cannot run (replaceable in tests).
    std::function<void()> beep;

    // Rebuilds the content from the help text for the topic, the complete list or the search.
    void reload();
    // Gives each key cap the enabled state of its command.
    void refreshKeycaps();
    // Puts the keyboard focus in the search field, its text selected.
    void focusSearch();
    // Chooses the topic, or none for all topics; a chosen topic chosen again shows all.
    void chooseTopic(HelpTopic topic);
    // Shows the complete list of shortcuts.
    void showAll();

    [[nodiscard]] std::optional<HelpTopic> topic() const { return m_topic; }
    [[nodiscard]] bool showsAll() const { return m_showsAll; }
    [[nodiscard]] QLineEdit* searchField() const { return m_search; }
    [[nodiscard]] const std::vector<KeycapButton*>& keycaps() const { return m_keycaps; }
    [[nodiscard]] const std::vector<std::pair<HelpTopic, QPushButton*>>& topicButtons() const {
        return m_chipButtons;
    }
    // The texts shown, top to bottom: section titles, paragraphs and key line texts.
    [[nodiscard]] QStringList shownTexts() const;
    // The button at the end of the topics that shows every shortcut; null in other views.
    [[nodiscard]] QPushButton* showAllButton() const { return m_showAllButton; }
    // The shown text of the action's shortcut: the chord as Linux writes it, or "—".
    [[nodiscard]] QString keycapTitle(Action action) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Gives the content the viewport's width and the height its wrapped lines need there.
    void fitContent();
    void buildChips();
    void searchEdited();
    void renderSection(const HelpSection& section);
    void addParagraph(const QString& text, bool secondary = false, bool title = false);
    // A key cap and its text; `swatchColumn` leaves room for a colour dot before the key cap.
    void addKeyRow(Action action, const QString& text, bool swatchColumn = false);
    void keycapPressed(KeycapButton* keycap);

    bool m_showsAll = false;
    // Something changed while hidden: built again when shown.
    bool m_stale = true;
    std::optional<HelpTopic> m_topic;
    QLineEdit* m_search = nullptr;
    QWidget* m_chips = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_stack = nullptr;
    QPushButton* m_showAllButton = nullptr;
    std::vector<std::pair<HelpTopic, QPushButton*>> m_chipButtons;
    std::vector<KeycapButton*> m_keycaps;
    std::map<Action, QString> m_glyphs;
};

} // namespace velmora
