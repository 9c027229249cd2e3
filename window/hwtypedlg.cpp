#include "window/hwtypedlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
struct TypeEntry {
    const char* caption;
    int type;
};

constexpr TypeEntry kTypes[] = {
    {"ORVENA QUIL, GSM/GPS/GLONASS", 70},
};
}  // namespace

CHWTypeDlg::CHWTypeDlg(int currentType, QWidget* parent) : QDialog(parent), m_type(currentType) {
    setWindowTitle(QString::fromUtf8("Тип устройства"));
    auto* layout = new QVBoxLayout(this);
    m_list = new QComboBox(this);
    m_list->setEditable(true);
    m_list->setInsertPolicy(QComboBox::NoInsert);
    for (const TypeEntry& entry : kTypes)
        m_list->addItem(QString::fromUtf8(entry.caption), entry.type);
    m_list->setCurrentIndex(-1);
    m_list->setEditText(QString::fromUtf8("Выбрать тип ус-ва"));
    connect(m_list, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            m_type = m_list->itemData(index).toInt();
    });
    // Standard buttons: their captions follow Qt's Russian texts ("Отмена").
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}
