#pragma once

#include "core/layout/paper_style.hpp"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

namespace velmora {

// The names of every preference key the application reads or writes.
namespace PreferenceKeys {
inline const QString tabIndents = QStringLiteral("tabIndents");
inline const QString documentsInTabs = QStringLiteral("documentsInTabs");
inline const QString returnEdits = QStringLiteral("returnEdits");
inline const QString checkSpelling = QStringLiteral("checkSpelling");
inline const QString quitAlwaysKeepsWindows = QStringLiteral("NSQuitAlwaysKeepsWindows");
inline const QString libraryVisible = QStringLiteral("libraryVisible");
inline const QString returnWhileTyping = QStringLiteral("returnWhileTyping");
inline const QString newDocumentView = QStringLiteral("newDocumentView");
inline const QString libraryFirstLaunchDone = QStringLiteral("libraryFirstLaunchDone");
inline const QString helpVisible = QStringLiteral("helpVisible");
inline const QString sidebarWidth = QStringLiteral("sidebarWidth");
inline const QString outlineZoom = QStringLiteral("outlineZoom");
inline const QString inspectorSegment = QStringLiteral("inspectorSegment");
inline const QString commandPaletteRecent = QStringLiteral("commandPalette.recent");
inline const QString highlightBranch = QStringLiteral("highlightBranch");
inline const QString hideRootLine = QStringLiteral("hideRootLine");
inline const QString strikeChecked = QStringLiteral("strikeChecked");
inline const QString paperStyle = QStringLiteral("paperStyle");
inline const QString paperColor = QStringLiteral("paperColor");
inline const QString paperMargin = QStringLiteral("paperMargin");
inline const QString highlightColor = QStringLiteral("highlightColor");
inline const QString checkStyle = QStringLiteral("checkStyle");
inline const QString labelStyle = QStringLiteral("labelStyle");
inline const QString scrollEdge = QStringLiteral("scrollEdge");
inline const QString autosaveClearsEdited = QStringLiteral("autosaveClearsEdited");
inline const QString libraryLocation = QStringLiteral("libraryLocation");
inline const QString libraryCustomPath = QStringLiteral("libraryCustomPath");
inline const QString libraryExpanded = QStringLiteral("libraryExpanded");
inline const QString libraryPinned = QStringLiteral("libraryPinned");
inline const QString hideCompletedPrefix = QStringLiteral("hideCompleted.");
inline const QString appleLanguages = QStringLiteral("AppleLanguages");
inline const QString recentDocuments = QStringLiteral("recentDocuments");
// The toolbar's items in order, and whether it is hidden (View ▸ Customize Toolbar, Hide Toolbar).
inline const QString toolbarItems = QStringLiteral("toolbarItems");
inline const QString toolbarHidden = QStringLiteral("toolbarHidden");
} // namespace PreferenceKeys

// The appearance choices (PaperStyle, PaperColor, HighlightColor, LabelStyle, CheckStyle,
// ScrollEdge) are the core's: core/layout/paper_style.hpp.

// The user's preferences, typed. Every getter answers the documented default when the key is
// missing or holds a value of the wrong type or an unknown name; nothing here ever fails.
class Preferences {
public:
    // Preferences over the application's own store (the default QSettings).
    Preferences();
    // Preferences over the given store; it must outlive this object.
    explicit Preferences(QSettings& settings);

    // The default of one of the registered keys, or nothing for any other key.
    [[nodiscard]] static std::optional<QVariant> registeredDefault(const QString& key);

    [[nodiscard]] bool tabIndents() const;
    [[nodiscard]] bool documentsInTabs() const;
    [[nodiscard]] bool returnEdits() const;
    [[nodiscard]] bool checkSpelling() const;
    [[nodiscard]] bool quitAlwaysKeepsWindows() const;
    [[nodiscard]] bool libraryVisible() const;
    // "finish" or "finishAndAddNext"; anything else reads as "finish".
    [[nodiscard]] QString returnWhileTyping() const;
    // "list", "tree" or "map"; anything else reads as "tree".
    [[nodiscard]] QString newDocumentView() const;
    [[nodiscard]] bool libraryFirstLaunchDone() const;
    [[nodiscard]] bool helpVisible() const;
    [[nodiscard]] double sidebarWidth() const;
    [[nodiscard]] double outlineZoom() const;
    [[nodiscard]] int inspectorSegment() const;
    [[nodiscard]] QStringList commandPaletteRecent() const;
    [[nodiscard]] bool highlightBranch() const;
    [[nodiscard]] bool hideRootLine() const;
    // Explicitly stored, else true exactly when the check style is web.
    [[nodiscard]] bool strikeChecked() const;
    // The stored value when it is a Boolean.
    [[nodiscard]] std::optional<bool> storedStrikeChecked() const;
    [[nodiscard]] PaperStyle paperStyle() const;
    [[nodiscard]] PaperColor paperColor() const;
    // The paper margin clamped to 120…480; 220 when missing or not a number.
    [[nodiscard]] double paperMargin() const;
    [[nodiscard]] HighlightColor highlightColor() const;
    [[nodiscard]] CheckStyle checkStyle() const;
    [[nodiscard]] LabelStyle labelStyle() const;
    [[nodiscard]] ScrollEdge scrollEdge() const;
    [[nodiscard]] bool autosaveClearsEdited() const;
    [[nodiscard]] QString libraryLocation() const;
    [[nodiscard]] QString libraryCustomPath() const;
    [[nodiscard]] QStringList libraryExpanded() const;
    [[nodiscard]] QStringList libraryPinned() const;
    // Whether completed items of the document with this id are hidden.
    [[nodiscard]] bool hideCompleted(const QString& documentId) const;
    [[nodiscard]] QStringList appleLanguages() const;
    [[nodiscard]] QStringList recentDocuments() const;

    void setBool(const QString& key, bool value);
    void setDouble(const QString& key, double value);
    void setInt(const QString& key, int value);
    void setString(const QString& key, const QString& value);
    void setStringList(const QString& key, const QStringList& value);
    void remove(const QString& key);
    [[nodiscard]] bool contains(const QString& key) const;
    void setHideCompleted(const QString& documentId, bool hidden);

    // A Boolean preference; the registered default (false for unregistered keys) otherwise.
    [[nodiscard]] bool boolValue(const QString& key) const;
    // A Boolean stored under the key, if it is one.
    [[nodiscard]] std::optional<bool> storedBool(const QString& key) const;
    // A finite number stored under the key, if it is one.
    [[nodiscard]] std::optional<double> storedDouble(const QString& key) const;
    // A text stored under the key, if it is one.
    [[nodiscard]] std::optional<QString> storedString(const QString& key) const;
    // A list of texts (a single text counts as a list of one); empty otherwise.
    [[nodiscard]] QStringList stringList(const QString& key) const;

    // Writes pending changes to disk.
    void sync();
    [[nodiscard]] QSettings& settings() const { return *m_settings; }

private:
    std::unique_ptr<QSettings> m_owned;
    QSettings* m_settings = nullptr;
};

} // namespace velmora
