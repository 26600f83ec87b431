#pragma once

#include "core/commands/command.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/commands/help_document.hpp"

#include <QFrame>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QLineEdit;
class QListWidget;

namespace velmora {

// The command palette: a floating panel over the document window in which the user types a
// few letters and runs a palette command by its name, description or shortcut. With an empty
// query it lists the three commands run last, then every command under its group heading.
// It never looks at the document: opening and filtering cost the same for any outline.
class CommandPaletteController : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 340;
    // The panel's top edge below the top of the window.
    static constexpr int kTopOffset = 96;

    // A heading (its localised text) or a command.
    struct Row {
        QString heading;
        std::optional<Command> command;

        [[nodiscard]] bool isHeading() const { return !command.has_value(); }
    };

    explicit CommandPaletteController(QWidget* parent);
    ~CommandPaletteController() override;

    // Whether the action can run now; true until the window supplies it.
    std::function<bool(Action)> isEnabled = [](Action) { return true; };
    // Performs the action in the window.
    std::function<void(Action)> run = [](Action) {};
    // Gives the keyboard back to the window after the palette closes with Return or Esc.
    std::function<void()> refocusParent = [] {};
    // The system beep for a command that cannot run (replaceable in tests).
    std::function<void()> beep;

    // Shows the palette with the commands of the help text under the preferences, an empty
    // query and the focus in the search field.
    void open(const HelpDocument& help, const EditorPreferences& preferences);
    // Hides the palette when it is shown; `refocus` gives the keyboard back to the window.
    void dismiss(bool refocus);
    // Runs the row's command, unless it is a heading or the command cannot run (a beep).
    void activate(int row);

    [[nodiscard]] const std::vector<Row>& rows() const { return m_rows; }
    // The selected row, or -1.
    [[nodiscard]] int selectedRow() const;
    [[nodiscard]] QLineEdit* searchField() const { return m_search; }
    [[nodiscard]] QListWidget* list() const { return m_list; }
    // The text a row shows for a shortcut: the chord as Linux writes it ("Ctrl+Shift+P").
    [[nodiscard]] static QString shortcutText(const Command& command);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuildRows();
    void selectRow(int row);
    void moveSelection(int step);
    void place();
    void focusChanged(QWidget* now);
    // The recent commands still offered, newest first.
    [[nodiscard]] std::vector<Action> recentActions() const;

    QLineEdit* m_search = nullptr;
    QListWidget* m_list = nullptr;
    std::vector<Command> m_all;
    std::vector<Row> m_rows;
    QMetaObject::Connection m_focusWatch;
};

} // namespace velmora
