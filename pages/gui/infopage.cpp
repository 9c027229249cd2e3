#include "pages/gui/infopage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace {

using C = InfoControl;
constexpr int I(InfoControl c) { return static_cast<int>(c); }
QString Ru(const char* text) { return QString::fromUtf8(text); }

// Wide enough for a nine-digit number and its sign, so the columns keep their
// place while values change; a wider value widens its column.
constexpr int kValueChars = 10;
constexpr int kStatusColumns = 4;

void KeepValueWidth(QGridLayout* grid, int column, const QWidget* page) {
    grid->setColumnMinimumWidth(column, page->fontMetrics().horizontalAdvance(QLatin1Char('0')) * kValueChars);
}

QLabel* Unit(const QString& text, QWidget* parent) {
    auto* unit = new QLabel(text, parent);
    unit->setAccessibleName(text);
    return unit;
}

// Values stand against their units; the headers above them line up with them.
QLabel* Header(const QString& text, QWidget* parent) {
    QLabel* header = Unit(text, parent);
    header->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return header;
}

}  // namespace

CInfoPage::CInfoPage(CDataServer& model, IPageHost& host, QWidget* parent)
    : CFormPage(m_form, host, std::nullopt, parent), m_form(model, host) {
    auto* columns = new QHBoxLayout(this);
    auto* first = new QVBoxLayout;
    first->addWidget(StatusGroup());
    first->addWidget(PowerGroup());
    first->addWidget(StatisticsGroup());
    first->addStretch(1);
    auto* second = new QVBoxLayout;
    second->addWidget(GnssGroup());
    second->addWidget(GsmGroup());
    second->addStretch(1);
    auto* third = new QVBoxLayout;
    third->addWidget(InputsGroup());
    third->addWidget(KeyGroup());
    third->addWidget(FuelGroup());
    third->addWidget(OutputGroup());
    third->addStretch(1);
    auto* fourth = new QVBoxLayout;
    fourth->addWidget(AccelGroup());
    fourth->addWidget(TiltGroup());
    fourth->addWidget(TemperatureGroup());
    fourth->addStretch(1);
    for (QVBoxLayout* column : {first, second, third, fourth})
        columns->addLayout(column);

    m_menu = new QMenu(this);
    m_copy = m_menu->addAction(Ru(kCopyCoordinates), this, &CInfoPage::CopyCoordinates);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ContextMenu()->popup(mapToGlobal(at)); });
}

QMenu* CInfoPage::ContextMenu() {
    m_copy->setEnabled(m_form.Coordinates().has_value());
    return m_menu;
}

bool CInfoPage::CopyCoordinates() {
    const std::optional<std::string> coordinates = m_form.Coordinates();
    if (!coordinates)
        return false;
    QApplication::clipboard()->setText(QString::fromStdString(*coordinates));
    return true;
}

// Right-clicks on a value open the page's menu, not the label's own.
QLabel* CInfoPage::Value(InfoControl control, const QString& name) {
    QLabel* value = MakeValue(I(control), name);
    value->setContextMenuPolicy(Qt::NoContextMenu);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return value;
}

void CInfoPage::AddRow(QGridLayout* grid, InfoControl control, const QString& caption, const QString& unit) {
    const int row = grid->rowCount();
    QLabel* value = Value(control, caption);
    QLabel* label = Caption(caption, value);
    label->setVisible(!CInfoForm::Hidden(control));
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
    if (!unit.isEmpty())
        grid->addWidget(Unit(unit, this), row, 2);
    KeepValueWidth(grid, 1, this);
}

void CInfoPage::AddTable(QGridLayout* grid, const QStringList& rows, const QStringList& columns, InfoControl first) {
    for (int column = 0; column < columns.size(); ++column) {
        grid->addWidget(Header(columns[column], this), 0, column + 1);
        KeepValueWidth(grid, column + 1, this);
    }
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(new QLabel(rows[row], this), row + 1, 0);
        for (int column = 0; column < columns.size(); ++column) {
            const auto control = static_cast<InfoControl>(I(first) + row * columns.size() + column);
            grid->addWidget(Value(control, rows[row] + QLatin1Char(' ') + columns[column]), row + 1, column + 1);
        }
    }
}

// The boxes show the device's word: they take neither clicks nor focus. The
// visible ones come first, in bit order, so the hidden leave no gaps.
QWidget* CInfoPage::StatusGroup() {
    QGroupBox* group = Group(Ru("Статус утсройства"));
    auto* grid = new QGridLayout(group);
    int cell = 0;
    for (bool hidden : {false, true}) {
        for (int bit = 0; bit < static_cast<int>(std::size(kStatusBoxes)); ++bit) {
            if (kStatusBoxes[bit].hidden != hidden)
                continue;
            QCheckBox* box = MakeCheck(bit, QString::fromLatin1(kStatusBoxes[bit].caption));
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            box->setFocusPolicy(Qt::NoFocus);
            grid->addWidget(box, cell / kStatusColumns, cell % kStatusColumns);
            ++cell;
        }
    }
    return group;
}

QWidget* CInfoPage::PowerGroup() {
    QGroupBox* group = Group(Ru("Питание"));
    auto* grid = new QGridLayout(group);
    AddRow(grid, C::Mode, Ru("Режим"));
    const int row = grid->rowCount();
    QLabel* percent = Value(C::BatteryPercent, Ru("Батарея (LiPol) %"));
    grid->addWidget(Caption(Ru("Батарея (LiPol)"), percent), row, 0);
    grid->addWidget(percent, row, 1);
    grid->addWidget(Value(C::BatteryVoltage, Ru("Батарея (LiPol) mV")), row, 2);
    AddRow(grid, C::ExtPower, Ru("Внешнее питание"));
    return group;
}

QWidget* CInfoPage::StatisticsGroup() {
    QGroupBox* group = Group(Ru("Статистика"));
    auto* grid = new QGridLayout(group);
    AddRow(grid, C::DeviceOn, Ru("Ус-во вкл."));
    AddRow(grid, C::EngineOn, Ru("Двиг. вкл."));
    AddRow(grid, C::Moving, Ru("Движ."));
    AddRow(grid, C::Idle, Ru("Простой"));
    AddRow(grid, C::Distance, Ru("Км."));
    AddRow(grid, C::AverageSpeed, Ru("Ср. ск-ть"), Ru("км/ч"));
    return group;
}

QWidget* CInfoPage::GnssGroup() {
    QGroupBox* group = Group(QStringLiteral("GNSS"));
    auto* grid = new QGridLayout(group);
    AddRow(grid, C::GnssStatus, Ru("Статус"));
    AddRow(grid, C::GnssDate, Ru("Дата"));
    AddRow(grid, C::GnssTime, Ru("Время"));
    AddRow(grid, C::Latitude, Ru("Широта"));
    AddRow(grid, C::Longitude, Ru("Долгота"));
    AddRow(grid, C::Altitude, Ru("Высота"), Ru("м"));
    AddRow(grid, C::Satellites, Ru("Спутники"));
    AddRow(grid, C::Course, Ru("Курсовой угол"), Ru("°"));
    AddRow(grid, C::Speed, Ru("Скорость"), Ru("км/ч"));
    AddRow(grid, C::Hdop, QStringLiteral("HDOP"));
    return group;
}

QWidget* CInfoPage::GsmGroup() {
    QGroupBox* group = Group(QStringLiteral("GSM"));
    auto* grid = new QGridLayout(group);
    AddRow(grid, C::GsmStatus, Ru("Статус"));
    AddRow(grid, C::Rssi, QStringLiteral("RSSI"));
    AddRow(grid, C::Mcc, QStringLiteral("MCC"));
    AddRow(grid, C::Mnc, QStringLiteral("MNC"));
    AddRow(grid, C::Lac, QStringLiteral("LAC"));
    AddRow(grid, C::Cid, QStringLiteral("CID"));
    AddRow(grid, C::Operator, Ru("Оператор"));
    AddRow(grid, C::Balance, Ru("Баланс"));
    return group;
}

QWidget* CInfoPage::InputsGroup() {
    QGroupBox* group = Group(Ru("Входы"));
    AddTable(new QGridLayout(group), {"IN1", "IN2", "IN3", "IN4"}, {Ru("Режим"), QStringLiteral("mV")}, C::InMode1);
    return group;
}

QWidget* CInfoPage::KeyGroup() {
    QGroupBox* group = Group(QStringLiteral("iButton"));
    (new QVBoxLayout(group))->addWidget(Value(C::Key, QStringLiteral("iButton")));
    return group;
}

QWidget* CInfoPage::FuelGroup() {
    QGroupBox* group = Group(Ru("ДУТ"));
    AddTable(new QGridLayout(group), {"LLS0", "LLS1", "LLS2", "LLS3", "LLS4"}, {Ru("Коды"), Ru("Литры")}, C::Lls0Code);
    return group;
}

QWidget* CInfoPage::OutputGroup() {
    QGroupBox* group = Group(Ru("Выход"));
    AddTable(new QGridLayout(group), {"OUT1"}, {Ru("Знач.")}, C::Out1);
    return group;
}

QWidget* CInfoPage::AccelGroup() {
    QGroupBox* group = Group(Ru("Акселерометр"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(Header(QStringLiteral("x16mg"), group), 0, 1);
    AddRow(grid, C::AccelX, QStringLiteral("X"));
    AddRow(grid, C::AccelY, QStringLiteral("Y"));
    AddRow(grid, C::AccelZ, QStringLiteral("Z"));
    AddRow(grid, C::AccelTotal, QStringLiteral("Total"));
    return group;
}

QWidget* CInfoPage::TiltGroup() {
    QGroupBox* group = Group(Ru("Наклон"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(Header(Ru("Град."), group), 0, 1);
    AddRow(grid, C::TiltX, QStringLiteral("X"));
    AddRow(grid, C::TiltY, QStringLiteral("Y"));
    return group;
}

QWidget* CInfoPage::TemperatureGroup() {
    QGroupBox* group = Group(Ru("Температура"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(Header(Ru("Град.С"), group), 0, 1);
    AddRow(grid, C::Tint, QStringLiteral("Tint"));
    for (C c : {C::Text1, C::Text2, C::Text3, C::Text4})
        AddRow(grid, c, QStringLiteral("Text%1").arg(I(c) - I(C::Text1) + 1));
    return group;
}
