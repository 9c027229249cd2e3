#include "pages/gui/intrshddlg.h"

#include "model/dataserver.h"
#include "pages/core/thresholdtable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QString Ru(const char* text) { return QString::fromUtf8(text); }
constexpr size_t kPerColumn = 4;
}  // namespace

CInTrshdDlg::CInTrshdDlg(CDataServer& model, int input, QWidget* parent)
    : QDialog(parent), m_data(model), m_item(ItemBase::Threshold + input) {
    setWindowTitle(QString::fromStdString(AlarmTitle(input)));
    m_data.Get(m_item, m_copy);
    auto* columns = new QHBoxLayout;
    for (size_t first = 0; first < AlarmLimits().size(); first += kPerColumn)
        columns->addWidget(ColumnBox(first));
    const std::vector<AlarmEntry> entries = ShowAlarms(m_copy);
    for (size_t i = 0; i < entries.size(); ++i) {
        m_switches[i]->setChecked(entries[i].on);
        m_values[i]->setText(QString::fromStdString(entries[i].text));
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CInTrshdDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CInTrshdDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
}

// A column's boxes "Нижний порог", "Верхний порог" and "Порог изменения",
// each with a switch and an edit; the timer sits in the last one.
QGroupBox* CInTrshdDlg::ColumnBox(size_t first) {
    const auto limits = AlarmLimits();
    const QString column = Ru(ColumnCaption(limits[first].column));
    auto* box = new QGroupBox(column, this);
    box->setAccessibleName(column);
    auto* stack = new QVBoxLayout(box);
    QGroupBox* group = nullptr;
    QGridLayout* grid = nullptr;
    for (size_t i = first; i < first + kPerColumn; ++i) {
        const AlarmLimit& limit = limits[i];
        const QString groupCaption = Ru(SettingGroup(limit.setting));
        if (!group || group->title() != groupCaption) {
            group = new QGroupBox(groupCaption, box);
            group->setAccessibleName(column + QLatin1Char(' ') + groupCaption);
            grid = new QGridLayout(group);
            stack->addWidget(group);
        }
        const QString switchCaption = Ru(SwitchCaption(limit.setting));
        auto* check = new QCheckBox(switchCaption, group);
        check->setAccessibleName(column + QLatin1Char(' ') + groupCaption + QLatin1Char(' ') + switchCaption);
        auto* edit = new QLineEdit(group);
        const bool timer = limit.setting == AlarmSetting::Timer;
        edit->setAccessibleName(column + QLatin1Char(' ') + (timer ? switchCaption : groupCaption));
        edit->setMaxLength(limit.maxLength);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        const int row = grid->rowCount();
        grid->addWidget(check, row, 0);
        grid->addWidget(edit, row, 1);
        m_switches.push_back(check);
        m_values.push_back(edit);
    }
    return box;
}

void CInTrshdDlg::accept() {
    std::vector<AlarmEntry> entries;
    for (size_t i = 0; i < m_values.size(); ++i)
        entries.push_back({m_switches[i]->isChecked(), m_values[i]->text().toStdString()});
    m_copy = ApplyAlarms(m_copy, entries);
    m_data.Set(m_item, m_copy);
    QDialog::accept();
}
