// Chooses the device type that a new settings file is made for.
#pragma once

#include <QDialog>

class QComboBox;

class CHWTypeDlg : public QDialog {
    Q_OBJECT
public:
    // currentType is kept when the dialog ends without a choice.
    explicit CHWTypeDlg(int currentType, QWidget* parent = nullptr);

    int NewFileType() const { return m_type; }
    QComboBox* TypeList() const { return m_list; }

private:
    QComboBox* m_list = nullptr;
    int m_type;
};
