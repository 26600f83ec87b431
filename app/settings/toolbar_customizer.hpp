#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace velmora {

// View ▸ Customize Toolbar: the toolbar's items with a check box each, in toolbar order (drag
// them or use Move Up and Move Down), and Restore Defaults. OK stores the choice for every
// window (ToolbarItems); Cancel leaves the toolbar as it was.
class ToolbarCustomizer : public QDialog {
    Q_OBJECT
public:
    explicit ToolbarCustomizer(QWidget* parent = nullptr);

    // Opens the dialog over the window; it deletes itself when closed.
    static ToolbarCustomizer* show(QWidget* parent);

    // The checked items' identifiers, top to bottom.
    [[nodiscard]] QStringList chosen() const;
    // Moves the selected item `step` rows down (negative: up).
    void moveSelected(int step);
    // Every item checked, in the default order.
    void restoreDefaults();
    [[nodiscard]] QListWidget* list() const { return m_list; }

    void accept() override;

private:
    void fill(const QStringList& shown);
    void updateButtons();
    void shade(QListWidgetItem* row);

    QListWidget* m_list = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
};

} // namespace velmora
