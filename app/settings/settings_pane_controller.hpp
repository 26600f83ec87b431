#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QScrollArea>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace velmora {

// The base of every pane of the settings window: rows of a label and a control in a two-column
// grid, notes in small secondary text under their control, all in a column at most 500 wide
// that scrolls when the window is short. Every text is kept with its catalog key, so the pane
// re-localises itself; each pane reads its controls back from the stored preferences whenever
// it is shown.
class SettingsPaneController : public QScrollArea {
    Q_OBJECT
public:
    explicit SettingsPaneController(QWidget* parent = nullptr);

    // Sets every control from the stored preferences (a missing or unknown value shows its
    // default) without writing anything.
    virtual void refresh() = 0;
    // Looks every text up again in the interface language.
    void relocalize();
    // Makes the pane as wide as its rows need.
    void fitWidth();

protected:
    // A pop-up menu in a new row under the label's key: one item per key, each carrying its
    // stored value as the item's data.
    QComboBox* addChoice(const QString& labelKey, const QStringList& itemKeys,
                         const QStringList& values);
    // A check box in the control column of a new row.
    QCheckBox* addCheck(const QString& key);
    // A push button in the control column of a new row.
    QPushButton* addButton(const QString& key);
    // A label in the control column of a new row, for a text that is no catalog key.
    QLabel* addValue();
    // A note in small secondary text under the control of the last row.
    QLabel* addNote(const QString& key);
    // Sets the menu to the item whose value is `value`, else to `fallback`'s.
    static void select(QComboBox* choice, const QString& value, const QString& fallback);
    // The value of the chosen item.
    [[nodiscard]] static QString value(const QComboBox* choice);

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Text {
        QPointer<QObject> target;
        QString key;
    };
    struct Items {
        QPointer<QComboBox> choice;
        QStringList keys;
    };

    // The next free row of the grid.
    [[nodiscard]] int nextRow() const;
    void setText(QObject* target, const QString& key);

    QGridLayout* m_grid = nullptr;
    QList<Text> m_texts;
    QList<Items> m_items;
    // The label beside each check box, which ticks it when clicked.
    QHash<QObject*, QCheckBox*> m_checkLabels;
};

} // namespace velmora
