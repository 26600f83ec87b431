#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class QWidget;

namespace velmora {

class DocumentWindow;
class MenuTarget;
class VelmoraDocument;

// Where the open documents are shown: the document windows, in the order they opened, each
// holding its documents as tabs; which one is in front; where a new window goes (centred, or in
// cascade from the front one, always inside its screen's available area); and gathering or
// splitting tabs when "documentsInTabs" changes. A document's window is the one holding its tab.
class WindowArrangement : public QObject {
    Q_OBJECT
public:
    // How far a new window moves right and down from the window it cascades from.
    static constexpr QPoint cascadeOffset{22, 22};

    // `made` is told of every window made here, so that its owner answers its requests.
    WindowArrangement(MenuTarget& menus, std::function<void(DocumentWindow*)> made,
                      QObject* parent = nullptr);

    [[nodiscard]] QList<DocumentWindow*> windows() const;
    [[nodiscard]] DocumentWindow* windowOf(const VelmoraDocument* document) const;
    [[nodiscard]] int visibleWindowCount() const;
    // The active document window, or the last one that was active, or the last one opened.
    [[nodiscard]] DocumentWindow* frontWindow() const;
    // The window a new document joins: the front window when documents open as tabs, else a
    // new window placed in cascade.
    DocumentWindow* windowForNewDocument();
    // Shows the window with the document's tab in front, the window inside its screen.
    void present(DocumentWindow* window, VelmoraDocument* document);
    // Moves the document's tab out of its window into one of its own. False when it is alone
    // in its window (or has none), where it stays.
    bool moveToOwnWindow(VelmoraDocument* document);
    // Gathers the documents of every other window into tabs of `into` (after its own) and
    // closes the emptied windows.
    void mergeAllWindows(DocumentWindow* into);
    // Follows a change of "documentsInTabs": splits every tab into its own window, or gathers
    // every window into the tabs of the front window.
    void applyTabPreference();
    // Takes the document's tab out of its window, closing the window when it was the last tab.
    void remove(VelmoraDocument* document);
    // Every open document, window by window and tab by tab.
    [[nodiscard]] QList<VelmoraDocument*> documentsInWindowOrder() const;
    // The window became active: it is the front window until another one is.
    void noteActivated(DocumentWindow* window);
    // Deletes every window at once (the owner goes).
    void deleteWindows();

    // Puts the window's frame at the top-left corner, moved and shrunk as far as needed to lie
    // inside the screen's available area.
    static void placeInside(QWidget* window, QPoint topLeft);
    // Centres the window on its screen's available area, shrunk to it first.
    static void centre(QWidget* window);

private:
    DocumentWindow* makeWindow(bool tabbing);
    void placeInCascade(DocumentWindow* window);
    // Moves the document's tab from `from` into a new window of its own, placed in cascade.
    DocumentWindow* splitOff(DocumentWindow* from, VelmoraDocument* document);

    MenuTarget& m_menus;
    std::function<void(DocumentWindow*)> m_made;
    QList<QPointer<DocumentWindow>> m_windows;
    QPointer<DocumentWindow> m_lastActive;
    bool m_lastTabPreference = true;
};

} // namespace velmora
