#include "pages/gui/connectionpage.h"

#include "pages/gui/ipedit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using C = ConnectionControl;

// Rows of a caption and its control, named by the box and the caption.
void AddRow(QGridLayout* grid, QLabel* caption, QWidget* control) {
    const int row = grid->rowCount();
    grid->addWidget(caption, row, 0);
    grid->addWidget(control, row, 1);
}

QString Ru(const char* text) { return QString::fromUtf8(text); }
QString Named(const QString& box, const char* caption) { return box + QLatin1Char(' ') + Ru(caption); }

}  // namespace

CConnectionPage::CConnectionPage(CDataServer& model, IPageHost& host, QWidget* parent)
    : CFormPage(m_form, host, RefreshedPage::Connections, parent), m_form(model, host) {
    setWindowTitle(Ru("Связь"));
    auto* page = new QHBoxLayout(this);
    page->addWidget(ServersGroup());
    page->addWidget(GsmGroup());
    page->addWidget(WifiGroup());
}

QWidget* CConnectionPage::ServersGroup() {
    QGroupBox* group = Group(Ru("Серверы"));
    auto* stack = new QVBoxLayout(group);
    stack->addWidget(ServerBox(Ru("Основной"), C::Server1Ip));
    stack->addWidget(ServerBox(Ru("Резервный"), C::Server2Ip));
    return group;
}

// Address, port, login, password and "Удалить", from the box's first control on.
QWidget* CConnectionPage::ServerBox(const QString& caption, ConnectionControl first) {
    QGroupBox* box = Group(caption);
    auto* grid = new QGridLayout(box);
    CIpEdit* ip = MakeIp(ControlIndex(first), Named(caption, "IP Адрес"));
    AddRow(grid, Caption(Ru("IP Адрес"), ip), ip);
    AddTexts(grid, caption, ControlIndex(first) + 1, {"Порт", "Логин", "Пароль"}, "Удалить");
    return box;
}

QWidget* CConnectionPage::GsmGroup() {
    QGroupBox* group = Group(QStringLiteral("GSM"));
    auto* stack = new QVBoxLayout(group);
    QGroupBox* sims = Group(Ru("SIM-карты"));
    auto* row = new QGridLayout(sims);
    QComboBox* control = MakeList(ControlIndex(C::SimControl), Ru("SIM-карты Режим"));
    AddRow(row, Caption(Ru("Режим"), control), control);
    stack->addWidget(sims);
    stack->addWidget(AccessPointBox(QStringLiteral("APN1"), C::Apn1Name));
    stack->addWidget(AccessPointBox(QStringLiteral("APN2"), C::Apn2Name));
    return group;
}

QWidget* CConnectionPage::AccessPointBox(const QString& caption, ConnectionControl first) {
    QGroupBox* box = Group(caption);
    AddTexts(new QGridLayout(box), caption, ControlIndex(first), {"Имя", "Логин", "Пароль"}, "Очистить");
    return box;
}

QWidget* CConnectionPage::WifiGroup() {
    QGroupBox* group = Group(QStringLiteral("WiFi"));
    auto* stack = new QVBoxLayout(group);
    stack->addWidget(NetworkBox(Ru("Основная"), C::Wifi1Ssid));
    stack->addWidget(NetworkBox(Ru("Резервная"), C::Wifi2Ssid));
    stack->addStretch(1);
    return group;
}

QWidget* CConnectionPage::NetworkBox(const QString& caption, ConnectionControl first) {
    QGroupBox* box = Group(caption);
    AddTexts(new QGridLayout(box), caption, ControlIndex(first), {"SSID", "Пароль"}, "Удалить");
    return box;
}

// Text rows from the control first on, then the box's button under them.
void CConnectionPage::AddTexts(QGridLayout* grid, const QString& box, int first,
                               std::initializer_list<const char*> captions, const char* button) {
    int control = first;
    for (const char* caption : captions) {
        QLineEdit* edit = MakeEdit(control++, Named(box, caption));
        AddRow(grid, Caption(Ru(caption), edit), edit);
    }
    grid->addWidget(MakeButton(control, Ru(button), Named(box, button)), grid->rowCount(), 1);
}
