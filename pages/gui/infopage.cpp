#include "pages/gui/infopage.h"

#include "pages/gui/liveplot.h"
#include "shell/pagehost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

struct CInfoPage::ValueRow {
    InfoControl control;
    const char* caption;
    const char* unit = nullptr;
};

namespace {

using C = InfoControl;
QString Ru(const char* text) { return QString::fromUtf8(text); }

constexpr int kStatusColumns = 4;

// A value column is as wide as the widest text it usually shows from the
// start, so the page neither moves nor grows as values come and change; a
// wider value still widens its column.
void KeepValueWidth(QGridLayout* grid, int column, const char* widest, const QWidget* page) {
    grid->setColumnMinimumWidth(column, page->fontMetrics().horizontalAdvance(QString::fromUtf8(widest)));
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

using ValueRow = CInfoPage::ValueRow;

const ValueRow kStatisticsRows[] = {
    {C::DeviceOn, "Ус-во вкл."}, {C::EngineOn, "Двиг. вкл."}, {C::Moving, "Движ."},
    {C::Idle, "Простой"},        {C::Distance, "Км."},        {C::AverageSpeed, "Ср. ск-ть", "км/ч"},
};
const ValueRow kGnssRows[] = {
    {C::GnssStatus, "Статус"},      {C::GnssDate, "Дата"},
    {C::GnssTime, "Время"},         {C::Latitude, "Широта"},
    {C::Longitude, "Долгота"},      {C::Altitude, "Высота", "м"},
    {C::Satellites, "Спутники"},    {C::Course, "Курсовой угол", "°"},
    {C::Speed, "Скорость", "км/ч"}, {C::Hdop, "HDOP"},
};
const ValueRow kGsmRows[] = {
    {C::GsmStatus, "Статус"}, {C::Rssi, "RSSI"}, {C::Mcc, "MCC"},           {C::Mnc, "MNC"},
    {C::Lac, "LAC"},          {C::Cid, "CID"},   {C::Operator, "Оператор"}, {C::Balance, "Баланс"},
};
const ValueRow kAccelRows[] = {{C::AccelX, "X"}, {C::AccelY, "Y"}, {C::AccelZ, "Z"}, {C::AccelTotal, "Total"}};
const ValueRow kTiltRows[] = {{C::TiltX, "X"}, {C::TiltY, "Y"}};
const ValueRow kTemperatureRows[] = {
    {C::Tint, "Tint"}, {C::Text1, "Text1"}, {C::Text2, "Text2"}, {C::Text3, "Text3"}, {C::Text4, "Text4"},
};

}  // namespace

CInfoPage::CInfoPage(CDataServer& model, IPageHost& host, QWidget* parent)
    : CFormPage(m_form, host, std::nullopt, parent), m_form(model, host) {
    const std::initializer_list<QWidget*> columns[] = {
        {StatusGroup(), PowerGroup(), RowsGroup("Статистика", kStatisticsRows, "-2147483648")},
        {RowsGroup("GNSS", kGnssRows, "E 000°00.0000"), RowsGroup("GSM", kGsmRows, "Registering...")},
        {TableGroup("Входы", {"IN1", "IN2", "IN3", "IN4"}, {Ru("Режим"), QStringLiteral("mV")}, C::InMode1,
                    "2147483647"),
         TableGroup("iButton", {}, {}, C::Key, "000000000000"),
         TableGroup("ДУТ", {"LLS0", "LLS1", "LLS2", "LLS3", "LLS4"}, {Ru("Коды"), Ru("Литры")}, C::Lls0Code, "65535"),
         TableGroup("Выход", {"OUT1"}, {Ru("Знач.")}, C::Out1, "Pulse")},
        {RowsGroup("Акселерометр", kAccelRows, "-32768", "x16mg"), RowsGroup("Наклон", kTiltRows, "-32768", "Град."),
         RowsGroup("Температура", kTemperatureRows, "-128", "Град.С")},
    };
    // The numbers and the plot of the values over time are two tabs of the page.
    auto* tabs = new QTabWidget(this);
    auto* numbers = new QWidget(tabs);
    tabs->addTab(numbers, Ru("Значения"));
    tabs->addTab(new CLivePlot(host.LiveSamples(), tabs), Ru("График"));
    (new QVBoxLayout(this))->addWidget(tabs);
    auto* page = new QHBoxLayout(numbers);
    for (const auto& groups : columns) {
        auto* column = new QVBoxLayout;
        for (QWidget* group : groups)
            column->addWidget(group);
        column->addStretch(1);
        page->addLayout(column);
    }

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
    QLabel* value = MakeValue(ControlIndex(control), name);
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
}

// Rows of a caption, a value and its unit; a unit common to all rows heads their values.
QWidget* CInfoPage::RowsGroup(const char* caption, std::span<const ValueRow> rows, const char* widest,
                              const char* unit) {
    QGroupBox* group = Group(Ru(caption));
    auto* grid = new QGridLayout(group);
    KeepValueWidth(grid, 1, widest, this);
    if (unit)
        grid->addWidget(Header(Ru(unit), group), 0, 1);
    for (const ValueRow& row : rows)
        AddRow(grid, row.control, Ru(row.caption), row.unit ? Ru(row.unit) : QString());
    return group;
}

// Values in rows and columns from the control first on, row by row; each is
// named by its row and column captions. Without rows, one value named by the group.
QWidget* CInfoPage::TableGroup(const char* caption, const QStringList& rows, const QStringList& columns,
                               InfoControl first, const char* widest) {
    QGroupBox* group = Group(Ru(caption));
    auto* grid = new QGridLayout(group);
    if (rows.isEmpty()) {
        grid->addWidget(Value(first, Ru(caption)), 0, 0);
        KeepValueWidth(grid, 0, widest, this);
        return group;
    }
    for (int column = 0; column < columns.size(); ++column) {
        grid->addWidget(Header(columns[column], this), 0, column + 1);
        KeepValueWidth(grid, column + 1, widest, this);
    }
    for (int row = 0; row < rows.size(); ++row) {
        grid->addWidget(new QLabel(rows[row], this), row + 1, 0);
        for (int column = 0; column < columns.size(); ++column) {
            const auto control = static_cast<InfoControl>(ControlIndex(first) + row * columns.size() + column);
            grid->addWidget(Value(control, rows[row] + QLatin1Char(' ') + columns[column]), row + 1, column + 1);
        }
    }
    return group;
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

// The battery row holds two values: the charge, and the voltage where a unit would stand.
QWidget* CInfoPage::PowerGroup() {
    QGroupBox* group = Group(Ru("Питание"));
    auto* grid = new QGridLayout(group);
    KeepValueWidth(grid, 1, "65535 mV", this);
    KeepValueWidth(grid, 2, "65535 mV", this);
    AddRow(grid, C::Mode, Ru("Режим"));
    const int row = grid->rowCount();
    QLabel* percent = Value(C::BatteryPercent, Ru("Батарея (LiPol) %"));
    grid->addWidget(Caption(Ru("Батарея (LiPol)"), percent), row, 0);
    grid->addWidget(percent, row, 1);
    grid->addWidget(Value(C::BatteryVoltage, Ru("Батарея (LiPol) mV")), row, 2);
    AddRow(grid, C::ExtPower, Ru("Внешнее питание"));
    return group;
}
