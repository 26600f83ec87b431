#pragma once

#include <QList>
#include <QMainWindow>

class QTabWidget;

namespace velmora {

class MenuTarget;
class VelmoraDocument;

// A top-level window that shows one or more documents as tabs (the tab bar hides while there
// is only one), with its own menu bar. The document controller fills and empties it.
class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    // The size a document window opens with, and the smallest it can be made.
    static constexpr QSize contentSize{1000, 680};
    static constexpr QSize minimumContentSize{900, 560};

    explicit DocumentWindow(MenuTarget& menus, QWidget* parent = nullptr);
    ~DocumentWindow() override;

    // Adds the document's content as a tab and makes it current.
    void addDocument(VelmoraDocument* document, QWidget* content);
    // Takes the document's tab out; the content widget is handed back, not deleted.
    QWidget* takeDocument(VelmoraDocument* document);
    [[nodiscard]] bool holds(const VelmoraDocument* document) const;
    [[nodiscard]] QList<VelmoraDocument*> documents() const;
    [[nodiscard]] int documentCount() const;
    [[nodiscard]] VelmoraDocument* currentDocument() const;
    void setCurrentDocument(VelmoraDocument* document);
    // Makes the tab `step` places to the right (negative: to the left) current, going round.
    void selectAdjacentTab(int step);
    // Whether new documents may join this window as tabs.
    [[nodiscard]] bool tabbingPreferred() const { return m_tabbingPreferred; }
    void setTabbingPreferred(bool preferred) { m_tabbingPreferred = preferred; }
    // Re-reads the title and edited mark of the current document and the menu states.
    void updateTitle();
    void updateMenuStates();

signals:
    // The user asked to close the window (close button, shortcut of the desktop).
    void closeRequested(DocumentWindow* window);
    // The user closed one tab.
    void tabCloseRequested(VelmoraDocument* document);
    void currentDocumentChanged(VelmoraDocument* document);
    void activated(DocumentWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] VelmoraDocument* documentAt(int index) const;
    [[nodiscard]] int indexOf(const VelmoraDocument* document) const;
    void updateTabText(VelmoraDocument* document);

    MenuTarget& m_menus;
    QTabWidget* m_tabs = nullptr;
    bool m_tabbingPreferred = true;
};

} // namespace velmora
