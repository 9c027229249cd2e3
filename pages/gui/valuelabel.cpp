#include "pages/gui/valuelabel.h"

#include <QLabel>

QLabel* MakeValueLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAccessibleName(caption);
    return label;
}

void ShowValueText(QLabel* label, const QString& text, const QString& spoken) {
    if (label->text() != text)
        label->setText(text);
    if (label->accessibleDescription() != spoken)
        label->setAccessibleDescription(spoken);
}

void ShowValueText(QLabel* label, const QString& text) { ShowValueText(label, text, text.trimmed()); }
