// A read-only value on the screen: its caption is its accessible name, and
// the text it shows is its accessible description, so a screen reader says
// both ("Режим, Online").
#pragma once

#include <QString>

class QLabel;
class QWidget;

// A value label named by its caption.
QLabel* MakeValueLabel(const QString& caption, QWidget* parent);
// Shows text and hands spoken to assistive technology.
void ShowValueText(QLabel* label, const QString& text, const QString& spoken);
// The same with the text trimmed of the blanks that only space it out on the screen.
void ShowValueText(QLabel* label, const QString& text);
