#include "tests/app/support/squeezed_texts.hpp"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace velmora::test {

QStringList squeezedTexts(QWidget* top) {
    QStringList out;
    for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && !button->text().isEmpty() &&
            button->width() < button->minimumSizeHint().width()) {
            out.append(button->text());
        }
    }
    for (QLabel* label : top->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->wordWrap() && !label->text().isEmpty() &&
            label->width() < label->sizeHint().width()) {
            out.append(label->text());
        }
    }
    for (QComboBox* box : top->findChildren<QComboBox*>()) {
        if (box->isVisible() && box->width() < box->sizeHint().width()) {
            out.append(box->currentText());
        }
    }
    return out;
}

} // namespace velmora::test
