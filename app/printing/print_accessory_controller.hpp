#pragma once

#include "app/printing/print_info.hpp"

#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

namespace velmora {

// The print options as a panel of the print dialog and of the preview: the layout (as on
// screen, or as a list), the size of the picture (one page, or tiles at full size) and whether
// notes print. Every change writes all three into the kept print info and is announced, so
// that a preview redraws.
class PrintAccessoryController : public QWidget {
    Q_OBJECT
public:
    // `canvas`: whether the document shows the tree or map view (only then can it print as a
    // picture); `kept`: the print info of the job, which must outlive the panel.
    PrintAccessoryController(bool canvas, PrintInfo& kept, QWidget* parent = nullptr);

    [[nodiscard]] bool asList() const { return m_options.asList; }
    [[nodiscard]] bool fitsPage() const { return m_options.fitsPage; }
    [[nodiscard]] bool notes() const { return m_options.notes; }
    [[nodiscard]] const PrintOptions& options() const { return m_options; }
    [[nodiscard]] bool canvas() const { return m_canvas; }

    // Takes the options of a print info whose options are set, and shows them.
    void takeOptions(const PrintInfo& info);
    // Sets the options as the user would with the controls.
    void setOptions(const PrintOptions& options);

    // The summary of the choices: (title, value) pairs.
    [[nodiscard]] QList<QPair<QString, QString>> summaryItems() const;

    [[nodiscard]] QComboBox* layoutPopup() const { return m_layoutPopup; }
    [[nodiscard]] QComboBox* sizePopup() const { return m_sizePopup; }
    [[nodiscard]] QCheckBox* notesBox() const { return m_notesBox; }

    void relocalize();

signals:
    void optionsChanged();

private:
    void showOptions();
    void changed();

    bool m_canvas = false;
    PrintInfo& m_kept;
    PrintOptions m_options;
    bool m_showing = false;
    QLabel* m_layoutLabel = nullptr;
    QLabel* m_sizeLabel = nullptr;
    QComboBox* m_layoutPopup = nullptr;
    QComboBox* m_sizePopup = nullptr;
    QCheckBox* m_notesBox = nullptr;
};

} // namespace velmora
