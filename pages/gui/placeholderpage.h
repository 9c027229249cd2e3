// A page whose content is still to come; it shows only its name.
#pragma once

#include "pages/gui/shellpage.h"

class CPlaceholderPage : public CShellPage {
    Q_OBJECT
public:
    explicit CPlaceholderPage(const QString& caption, QWidget* parent = nullptr);
};
