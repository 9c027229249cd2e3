// Asks for the device's access password and whether protection is on; the
// answer goes into the password record of the data model on OK.
#pragma once

#include <QDialog>

class CDataServer;
class QCheckBox;
class QLineEdit;

class CPasswordDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPassword = 8;

    explicit CPasswordDlg(CDataServer& model, QWidget* parent = nullptr);

    QLineEdit* PasswordEdit() const { return m_edit; }
    QCheckBox* OnBox() const { return m_on; }
    QCheckBox* ShowBox() const { return m_show; }

public slots:
    void accept() override;

private:
    void OnProtectionToggled();
    void OnShowToggled();

    CDataServer& m_data;
    QLineEdit* m_edit = nullptr;
    QCheckBox* m_on = nullptr;
    QCheckBox* m_show = nullptr;
};
