#pragma once

#include "core/commands/action.hpp"
#include "core/model/item.hpp"

#include <QDateTime>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QTextEdit;

namespace velmora {

class SpellHighlighter;
class SwatchButton;

// The properties of the selected item in the inspector: its title, check mark, colour label
// and note, which the user may change, and its dates and number of children. Changes go back
// to the window through the callbacks; text is committed to the item whose id was taken when
// typing began, even when the selection has moved since.
class PropertiesController : public QWidget {
    Q_OBJECT
public:
    explicit PropertiesController(QWidget* parent = nullptr);

    // Performs an action on the selection (the check box and the label swatches).
    std::function<void(Action)> run = [](Action) {};
    // Stores a new title or note for the item with the id.
    std::function<void(const std::string& id, const std::string& text)> commitTitle =
        [](const std::string&, const std::string&) {};
    std::function<void(const std::string& id, const std::string& text)> commitNote =
        [](const std::string&, const std::string&) {};
    // Shows text being typed before it is committed (`note` for a note, else a title).
    std::function<void(const std::string& id, const std::string& text, bool note)> preview =
        [](const std::string&, const std::string&, bool) {};
    // The time "now" for the relative dates (replaceable in tests).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // Shows the item, or nothing; text being typed stays as it is.
    void show(const std::optional<Item>& item);
    // Text typed in the title field or the note and not yet committed, with its item's id.
    struct OpenText {
        std::string id;
        std::string text;
        bool note = false;
    };
    // The title and then the note being typed (what a write takes with the document).
    [[nodiscard]] std::vector<OpenText> openTexts() const;
    // Commits the title and note being typed, keeping them open for more typing; true when
    // something was committed (before saving, closing and the like).
    bool commitPending();
    // Ends the editing of the title or the note: commits it and shows the item's text again.
    void endTitleEditing();
    void endNoteEditing();
    // Ends the editing of the title and the note without committing (their text went in with
    // their item) and shows the item's texts; with `only`, just the editing of the items it
    // names.
    void dropOpenTexts(const std::function<bool(const std::string& id)>& only = {});
    // Drops the callbacks (the window goes): text typed from now on goes nowhere.
    void disconnectFromWindow();
    // Looks every caption up again in the interface language.
    void relocalize();

    [[nodiscard]] const std::optional<Item>& shown() const { return m_shown; }
    [[nodiscard]] const std::optional<std::string>& editingID() const { return m_editingID; }
    [[nodiscard]] const std::optional<std::string>& noteID() const { return m_noteID; }
    [[nodiscard]] QPlainTextEdit* titleField() const { return m_titleField; }
    [[nodiscard]] QTextEdit* noteView() const { return m_noteView; }
    // The spell checking of the title field and of the note.
    [[nodiscard]] SpellHighlighter* titleSpelling() const { return m_titleSpelling; }
    [[nodiscard]] SpellHighlighter* noteSpelling() const { return m_noteSpelling; }
    [[nodiscard]] QCheckBox* checkBox() const { return m_checked; }
    [[nodiscard]] const std::vector<SwatchButton*>& swatches() const { return m_swatchButtons; }
    [[nodiscard]] QLabel* createdLabel() const { return m_createdLabel; }
    [[nodiscard]] QLabel* modifiedLabel() const { return m_modifiedLabel; }
    [[nodiscard]] QLabel* childrenLabel() const { return m_childrenLabel; }
    // The children label's text: "—" without an item, "3", or "2 (5 in all)".
    [[nodiscard]] static QString childrenText(const std::optional<Item>& item);
    // A date as the pane shows it: today and yesterday by name, then the time.
    [[nodiscard]] QString dateText(const std::optional<Timestamp>& time) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* caption(const char* key, bool upperCased);
    void titleEdited();
    void noteEdited();
    void styleNote();
    void loadNote(const QString& text);
    void setTitleText(const QString& text);
    bool openLinkAt(const QPoint& point);

    std::optional<Item> m_shown;
    std::optional<std::string> m_editingID;
    std::optional<std::string> m_noteID;
    QPlainTextEdit* m_titleField = nullptr;
    QCheckBox* m_checked = nullptr;
    QWidget* m_swatches = nullptr;
    QTextEdit* m_noteView = nullptr;
    QLabel* m_createdLabel = nullptr;
    QLabel* m_modifiedLabel = nullptr;
    QLabel* m_childrenLabel = nullptr;
    SpellHighlighter* m_titleSpelling = nullptr;
    SpellHighlighter* m_noteSpelling = nullptr;
    std::vector<SwatchButton*> m_swatchButtons;
    std::vector<std::tuple<QLabel*, const char*, bool>> m_captions;
    // Set while the controls are filled from the item, so that it is not taken for typing.
    bool m_loading = false;
};

} // namespace velmora
