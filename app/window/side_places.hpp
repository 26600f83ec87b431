#pragma once

#include <QSplitter>

#include <functional>

class QWidget;

namespace velmora {

// The three places side by side in a document tab: the library sidebar on the leading side, the
// outline in the middle and the inspector on the trailing side. It owns their widths: the
// sidebar's stored width ("sidebarWidth", kept within the room the outline needs), the
// inspector's opening width, a sidebar dragged shut counting as hidden ("libraryVisible"), and
// F6, which moves between the panes as elsewhere on the desktop. What goes into each place and
// where the keyboard goes is the tab's.
class SidePlaces : public QSplitter {
    Q_OBJECT
public:
    explicit SidePlaces(QWidget* parent = nullptr);

    [[nodiscard]] QWidget* sidebarPlace() const { return m_sidebar; }
    [[nodiscard]] QWidget* content() const { return m_content; }
    [[nodiscard]] QWidget* inspectorPlace() const { return m_inspector; }

    // Whether the sidebar has something in it and shows (dragging it shut hides it).
    [[nodiscard]] bool sidebarShown() const;
    // Shows the sidebar at its stored width, or hides it giving its room to the outline.
    void showSidebar(bool shown);
    // The sidebar now has its content: it gets its minimum width and its stored width once the
    // window is laid out.
    void sidebarFilled();

    // The inspector now has its content: shown and hidden as a whole, never squeezed to nothing
    // by the divider.
    void inspectorFilled();
    [[nodiscard]] bool inspectorShown() const;
    // Shows the inspector (at its opening width when it had less) or hides it.
    void showInspector(bool shown);

    // F6 was pressed inside the tab.
    std::function<void()> onNextPane;

private:
    void applySidebarWidth();
    void dividerMoved();

    QWidget* m_sidebar = nullptr;
    QWidget* m_content = nullptr;
    QWidget* m_inspector = nullptr;
    bool m_sidebarFilled = false;
    // Set while the sizes are changed here, so that only the user's drags are stored.
    bool m_settingSizes = false;
};

} // namespace velmora
