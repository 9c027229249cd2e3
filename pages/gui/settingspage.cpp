#include "pages/gui/settingspage.h"

#include "pages/gui/intrshddlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using C = SettingsControl;
using IC = InputColumn;
using TC = ThermoColumn;

QString Ru(const char* text) { return QString::fromUtf8(text); }
QString Named(const QString& row, const char* column) { return row + QLatin1Char(' ') + Ru(column); }

const char* const kLevelCaptions[] = {"Ниж.\"0\"", "Верх.\"0\"", "Ниж.\"1\"", "Верх.\"1\""};
constexpr int kProtocolColumns = 7;

void AddHeader(QGridLayout* grid, int row, std::initializer_list<const char*> captions) {
    int column = 1;
    for (const char* caption : captions)
        grid->addWidget(new QLabel(Ru(caption)), row, column++, Qt::AlignCenter);
}

}  // namespace

CSettingsPage::CSettingsPage(CDataServer& model, IPageHost& host, QWidget* parent)
    : CFormPage(m_form, host, RefreshedPage::Settings, parent), m_form(model, host) {
    m_form.SetAlarmDialog([this, &model](int input) {
        CInTrshdDlg dialog(model, input, this);
        return dialog.exec() == QDialog::Accepted;
    });
    auto* sensors = new QHBoxLayout;
    sensors->addWidget(OutputsGroup());
    sensors->addWidget(AccelerometerGroup());
    sensors->addWidget(InternalThermometerGroup());
    sensors->addWidget(ResetsGroup());
    auto* page = new QVBoxLayout(this);
    page->addWidget(InputsGroup());
    page->addLayout(sensors);
    page->addWidget(ThermometersGroup());
    page->addWidget(ProtocolGroup());
    page->addStretch(1);
}

// The input rows, then the SOS and IGN rows under their own captions; every
// control is named by its row and column.
QWidget* CSettingsPage::InputsGroup() {
    QGroupBox* group = Group(Ru("Входы"));
    auto* grid = new QGridLayout(group);
    AddHeader(grid, 0,
              {"Режим", kLevelCaptions[0], kLevelCaptions[1], kLevelCaptions[2], kLevelCaptions[3], "Фильтр", "Счетчик",
               "Алaрм"});
    for (int k = 1; k <= kInputRows; ++k)
        AddInputRow(grid, k);
    AddHeader(grid, grid->rowCount(),
              {"Вход #", kLevelCaptions[0], kLevelCaptions[1], kLevelCaptions[2], kLevelCaptions[3], "Уровень"});
    AddSignalRow(grid, QStringLiteral("SOS"), C::SosSource);
    AddSignalRow(grid, QStringLiteral("IGN"), C::IgnSource);
    return group;
}

void CSettingsPage::AddInputRow(QGridLayout* grid, int input) {
    const int row = grid->rowCount();
    const QString caption = QStringLiteral("IN%1").arg(input);
    const auto control = [input](IC column) { return ControlIndex(InputControl(input, column)); };
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(MakeList(control(IC::Mode), Named(caption, "Режим")), row, 1);
    for (int j = 0; j < 4; ++j)
        grid->addWidget(MakeEdit(control(IC::Lower0) + j, Named(caption, kLevelCaptions[j])), row, 2 + j);
    grid->addWidget(MakeEdit(control(IC::Filter), Named(caption, "Фильтр")), row, 6);
    grid->addWidget(MakeButton(control(IC::Reset), Ru("Сброс"), Named(caption, "Сброс")), row, 7);
    grid->addWidget(MakeButton(control(IC::Alarm), Ru("Настр"), Named(caption, "Настр")), row, 8);
}

void CSettingsPage::AddSignalRow(QGridLayout* grid, const QString& caption, SettingsControl source) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(MakeList(ControlIndex(source), Named(caption, "Вход #")), row, 1);
    for (int j = 0; j < 4; ++j)
        grid->addWidget(MakeEdit(ControlIndex(source) + 1 + j, Named(caption, kLevelCaptions[j])), row, 2 + j);
    if (source == C::SosSource)
        grid->addWidget(MakeList(ControlIndex(C::SosLevel), Named(caption, "Уровень")), row, 6);
}

QWidget* CSettingsPage::OutputsGroup() {
    QGroupBox* group = Group(Ru("Выходы"));
    auto* row = new QHBoxLayout(group);
    QPushButton* button =
        MakeButton(ControlIndex(C::Output), Ru(CSettingsForm::kOutputTemplate), QStringLiteral("OUT1"));
    row->addWidget(Caption(QStringLiteral("OUT1"), button));
    row->addWidget(button);
    return group;
}

QWidget* CSettingsPage::AccelerometerGroup() {
    QGroupBox* group = Group(Ru("Акселерометр"));
    auto* grid = new QGridLayout(group);
    const struct {
        C control;
        const char* caption;
        const char* unit;
    } rows[] = {{C::Motion, "Движ.", "x16mg"}, {C::Shock, "Удар", "x16mg"}, {C::Tilt, "Наклон", "град."}};
    for (const auto& r : rows) {
        const int row = grid->rowCount();
        QLineEdit* edit = MakeEdit(ControlIndex(r.control), Ru(r.caption));
        grid->addWidget(Caption(Ru(r.caption), edit), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(Ru(r.unit)), row, 2);
    }
    grid->addWidget(MakeButton(ControlIndex(C::Calibrate), Ru("Калибровать")), grid->rowCount(), 0, 1, 3);
    return group;
}

QWidget* CSettingsPage::InternalThermometerGroup() {
    QGroupBox* group = Group(Ru("Внутр. терм-р"));
    auto* grid = new QGridLayout(group);
    for (auto [control, caption] : {std::pair{C::TintLower, "Ниж."}, std::pair{C::TintUpper, "Верх."}}) {
        const int row = grid->rowCount();
        QLineEdit* edit = MakeEdit(ControlIndex(control), Named(Ru("Внутр. терм-р"), caption));
        grid->addWidget(Caption(Ru(caption), edit), row, 0);
        grid->addWidget(edit, row, 1);
    }
    return group;
}

QWidget* CSettingsPage::ThermometersGroup() {
    QGroupBox* group = Group(Ru("Внешний терм-р"));
    auto* grid = new QGridLayout(group);
    AddHeader(grid, 0, {"Сенсор ID", "Ниж.", "Верх."});
    for (int k = 1; k <= kThermoRows; ++k) {
        const QString caption = QStringLiteral("T%1").arg(k);
        const auto control = [k](TC column) { return ControlIndex(ThermoControl(k, column)); };
        grid->addWidget(MakeCheck(control(TC::On), caption), k, 0);
        grid->addWidget(MakeList(control(TC::Id), Named(caption, "Сенсор ID")), k, 1);
        grid->addWidget(MakeEdit(control(TC::Lower), Named(caption, "Ниж.")), k, 2);
        grid->addWidget(MakeEdit(control(TC::Upper), Named(caption, "Верх.")), k, 3);
    }
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* CSettingsPage::ProtocolGroup() {
    QGroupBox* group = Group(Ru("Протокол"));
    auto* grid = new QGridLayout(group);
    const auto boxes = ProtocolBoxes();
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
        grid->addWidget(MakeCheck(ControlIndex(ProtocolControl(i)), Ru(boxes[static_cast<size_t>(i)].caption)),
                        i / kProtocolColumns, i % kProtocolColumns);
    return group;
}

QWidget* CSettingsPage::ResetsGroup() {
    QGroupBox* group = Group(Ru("Очистка / Сброс"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(MakeButton(ControlIndex(C::ResetSettings), Ru("Настройки")), 0, 0);
    grid->addWidget(MakeButton(ControlIndex(C::ResetMemory), Ru("Память")), 0, 1);
    grid->addWidget(MakeButton(ControlIndex(C::ResetStatistics), Ru("Статистика")), 1, 0);
    grid->addWidget(MakeButton(ControlIndex(C::ResetFactory), Ru("По умолчанию")), 1, 1);
    return group;
}
