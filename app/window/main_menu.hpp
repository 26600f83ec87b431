#pragma once

#include "core/commands/action.hpp"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace velmora {

// The menu items that are not commands of the registry.
enum class StandardItem {
    about,
    checkUpdates,
    quit,
    newDocument,
    open,
    clearRecent,
    close,
    save,
    saveAs,
    pageSetup,
    print,
    createSamples,
    exportMarkdown,
    importMarkdown,
    exportOrg,
    importOrg,
    exportWebPage,
    undo,
    redo,
    cut,
    copy,
    paste,
    deleteSelection,
    selectAll,
    zoomIn,
    zoomOut,
    actualSize,
    toggleToolbar,
    fullScreen,
    minimize,
    zoom,
    feedback,
    moreApps,
    printPreview,
    exportPDF,
    nextTab,
    previousTab,
    moveTabToNewWindow,
    mergeAllWindows,
    customizeToolbar,
};

// One open document as the Window menu lists it.
struct OpenDocumentEntry {
    QString title;
    // The document of the window's current tab.
    bool current = false;
};

// What the menus act on: the application delegate. `window` is the window whose menu bar
// the item belongs to.
class MenuTarget {
public:
    virtual ~MenuTarget() = default;
    // The single action of every command item.
    virtual void velmoraPerform(Action action, QWidget* window) = 0;
    [[nodiscard]] virtual bool canPerform(Action action, QWidget* window) const = 0;
    virtual void run(StandardItem item, QWidget* window) = 0;
    [[nodiscard]] virtual bool canRun(StandardItem item, QWidget* window) const = 0;
    // The localised name of the change undo (or redo) would revert; empty when none.
    [[nodiscard]] virtual QString undoName(QWidget* window, bool redo) const = 0;
    [[nodiscard]] virtual QStringList recentDocuments() const = 0;
    virtual void openRecent(const QString& path) = 0;
    [[nodiscard]] virtual bool updatesAvailable() const = 0;
    // Every open document, window by window and tab by tab.
    [[nodiscard]] virtual QList<OpenDocumentEntry> openDocumentEntries(QWidget* window) const = 0;
    // Brings the document at that place of `openDocumentEntries` to the front.
    virtual void showOpenDocument(int index) = 0;
};

// Builds the menu bar of a window and owns the interface-language texts of every menu item.
// Linux has no application-wide menu bar, so each window gets its own, built the same way;
// every item is remembered with its title key so the language can change in place.
namespace MainMenu {

// Fills the window's menu bar.
void install(QMenuBar* bar, QWidget* window, MenuTarget& target);

// Sets the title of every remembered item to its key's text in the current language.
void relocalizeMenus();

// Hides the New Tab items when "documentsInTabs" is off and shows them otherwise.
void updateNewTabVisibility();

// Enables the items of the menu bar by what their target can do now.
void updateStates(QMenuBar* bar, QWidget* window, MenuTarget& target);

// The command item of an action in a menu bar, if it has one.
[[nodiscard]] QAction* actionItem(QMenuBar* bar, Action action);
// The standard item in a menu bar, if it has one.
[[nodiscard]] QAction* standardItem(QMenuBar* bar, StandardItem item);

// Runs the item's command as choosing it does, also while it shows as disabled (its enabled
// state follows the document only loosely; a command that cannot run now beeps).
void runItem(QAction* item);

} // namespace MainMenu
} // namespace velmora
