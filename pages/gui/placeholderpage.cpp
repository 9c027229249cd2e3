#include "pages/gui/placeholderpage.h"

#include <QLabel>
#include <QVBoxLayout>

CPlaceholderPage::CPlaceholderPage(const QString& caption, QWidget* parent) : CShellPage(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
