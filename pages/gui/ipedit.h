// The address control: one line edit holding a dotted address, each octet
// 0 to 255; a "." moves on to the next octet.
#pragma once

#include <QLineEdit>

class CIpEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CIpEdit(QWidget* parent = nullptr);
};
