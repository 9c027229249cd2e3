#include "window/passworddlg.h"

#include "model/dataserver.h"
#include "pages/gui/devtext.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace {
constexpr uint8_t kProtectionBit = 0x01;

// Characters that would end or split the command line the password leads.
const QString kReserved = QStringLiteral(";^$\r\n");

bool UsablePassword(const QString& text) {
    if (text.size() > CPasswordDlg::kMaxPassword)
        return false;
    for (const QChar c : text)
        if (kReserved.contains(c))
            return false;
    return true;
}

// Typing or pasting such a character into the edit is refused.
class CPasswordValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override { return UsablePassword(text) ? Acceptable : Invalid; }
};
}  // namespace

CPasswordDlg::CPasswordDlg(CDataServer& model, QWidget* parent) : QDialog(parent), m_data(model) {
    setWindowTitle(QString::fromUtf8("Ввести пароль"));
    auto* grid = new QGridLayout(this);
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(kMaxPassword);
    m_edit->setValidator(new CPasswordValidator(m_edit));
    // The mask character is '*' whatever the style's default.
    m_edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    m_edit->setEchoMode(QLineEdit::Password);
    m_on = new QCheckBox(QString::fromUtf8("Вкл."), this);
    m_show = new QCheckBox(QString::fromUtf8("Показать пароль"), this);
    // Standard buttons: their captions follow Qt's Russian texts ("Отмена").
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(new QLabel(QString::fromUtf8("Пароль"), this), 0, 0);
    grid->addWidget(m_edit, 0, 1);
    grid->addWidget(m_on, 0, 2);
    grid->addWidget(m_show, 1, 1);
    grid->addWidget(buttons, 0, 3, 2, 1);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPasswordDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPasswordDlg::reject);

    PasswordRecord record;
    m_data.Get(DI_PASSWORD, record);
    m_edit->setText(FromDeviceText(record.current, sizeof record.current, kMaxPassword));
    const bool on = record.flags & kProtectionBit;
    m_on->setChecked(on);
    m_show->setChecked(false);
    m_edit->setEnabled(on);
    m_show->setEnabled(on);
    // Typing replaces the stored password instead of adding to it.
    m_edit->selectAll();
    m_edit->setFocus();
    connect(m_on, &QCheckBox::clicked, this, &CPasswordDlg::OnProtectionToggled);
    connect(m_show, &QCheckBox::clicked, this, &CPasswordDlg::OnShowToggled);
}

void CPasswordDlg::OnProtectionToggled() {
    const bool on = m_on->isChecked();
    m_edit->setEnabled(on);
    m_show->setEnabled(on);
}

void CPasswordDlg::OnShowToggled() {
    m_edit->setEchoMode(m_show->isChecked() ? QLineEdit::Normal : QLineEdit::Password);
}

void CPasswordDlg::accept() {
    // A stored password may still hold what the edit refuses to take.
    if (!UsablePassword(m_edit->text())) {
        QApplication::beep();
        return;
    }
    PasswordRecord record;
    if (!m_data.Get(DI_PASSWORD, record))
        return QDialog::reject();
    if (!m_edit->text().isEmpty())
        ToDeviceText(m_edit->text(), record.current, sizeof record.current);
    record.flags =
        static_cast<uint8_t>(m_on->isChecked() ? record.flags | kProtectionBit : record.flags & ~kProtectionBit);
    m_data.Set(DI_PASSWORD, record);
    QDialog::accept();
}
