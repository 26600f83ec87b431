#pragma once

#include "app/settings/settings_pane_controller.hpp"

namespace velmora {

// The appearance pane: the paper and its colour, the scroll edge, branch highlighting and its
// colour, the root line, check marks, striking checked items and colour labels. Every change
// is announced at once, so every open window redraws in every view.
class AppearanceSettingsController : public SettingsPaneController {
    Q_OBJECT
public:
    explicit AppearanceSettingsController(QWidget* parent = nullptr);

    void refresh() override;

    QComboBox* paper = nullptr;
    QComboBox* paperColor = nullptr;
    QComboBox* scrollEdge = nullptr;
    QCheckBox* highlight = nullptr;
    QComboBox* highlightColor = nullptr;
    QCheckBox* rootLine = nullptr;
    QComboBox* checkStyle = nullptr;
    QCheckBox* strikeChecked = nullptr;
    QComboBox* labelStyle = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Shows each paper and highlight colour beside its name, as the current palette draws it.
    void paintSwatches();
    // A menu whose items are the cases of an appearance choice, each named by the key
    // `itemPrefix` plus its raw value; choosing one stores its raw value under `key`.
    template <typename Choice, std::size_t N>
    QComboBox* addCases(const QString& labelKey, const QString& itemPrefix,
                        const std::array<Choice, N>& cases, const QString& key);
    // A check box storing its state (or, with `inverted`, the opposite) under `key`.
    QCheckBox* addFlag(const QString& labelKey, const QString& key, bool inverted = false);
};

} // namespace velmora
