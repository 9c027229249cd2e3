#include "pages/gui/wizardpage.h"

#include "base/appinfo.h"
#include "pages/gui/ipedit.h"

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
using C = MainControl;
QString Ru(const char* text) { return QString::fromUtf8(text); }
}  // namespace

CWizardPage::CWizardPage(CDataServer& model, IPageHost& host, QWidget* parent)
    : CFormPage(m_form, host, RefreshedPage::Main, parent), m_form(model, host) {
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(ServerGroup());
    left->addWidget(AccessPointGroup());
    left->addWidget(GsmGroup());
    left->addWidget(PasswordGroup());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(TrackGroup());
    right->addWidget(InputsGroup());
    right->addWidget(Rs485Group());
    right->addStretch(1);
    columns->addLayout(left);
    columns->addLayout(right);
    auto* page = new QVBoxLayout(this);
    page->addLayout(columns, 1);
    page->addWidget(MakeLink(), 0, Qt::AlignRight);
}

QFont CWizardPage::HandedFont() const { return Control(C::ApnName)->font(); }

// Rows of a caption and its control.
namespace {
void AddRow(QGridLayout* grid, QLabel* caption, QWidget* control) {
    const int row = grid->rowCount();
    grid->addWidget(caption, row, 0);
    grid->addWidget(control, row, 1);
    grid->setColumnStretch(1, 1);
}
}  // namespace

QWidget* CWizardPage::ServerGroup() {
    QGroupBox* group = Group(Ru("Сервер"));
    auto* grid = new QGridLayout(group);
    CIpEdit* ip = MakeIp(ControlIndex(C::ServerIp), Ru("IP Адрес"));
    AddRow(grid, Caption(Ru("IP Адрес"), ip), ip);
    QLineEdit* port = MakeEdit(ControlIndex(C::ServerPort), Ru("Порт"));
    AddRow(grid, Caption(Ru("Порт"), port), port);
    QLineEdit* login = MakeEdit(ControlIndex(C::ServerLogin), Ru("Логин"));
    AddRow(grid, Caption(Ru("Логин"), login), login);
    grid->addWidget(MakeButton(ControlIndex(C::Imei), QStringLiteral("imei")), grid->rowCount() - 1, 2);
    QLineEdit* password = MakeEdit(ControlIndex(C::ServerPassword), Ru("Пароль"));
    AddRow(grid, Caption(Ru("Пароль"), password), password);
    return group;
}

QWidget* CWizardPage::AccessPointGroup() {
    QGroupBox* group = Group(Ru("Точка доступа (GPRS)"));
    auto* grid = new QGridLayout(group);
    QLineEdit* name = MakeEdit(ControlIndex(C::ApnName), QStringLiteral("APN"));
    AddRow(grid, Caption(QStringLiteral("APN"), name), name);
    QLineEdit* login = MakeEdit(ControlIndex(C::ApnLogin), Ru("Логин"));
    AddRow(grid, Caption(Ru("Логин"), login), login);
    QLineEdit* password = MakeEdit(ControlIndex(C::ApnPassword), Ru("Пароль"));
    AddRow(grid, Caption(Ru("Пароль"), password), password);
    return group;
}

QWidget* CWizardPage::GsmGroup() {
    QGroupBox* group = Group(QStringLiteral("GSM"));
    auto* grid = new QGridLayout(group);
    for (auto [control, caption] : {std::pair{C::Sms1, "SMS Номер 1"}, std::pair{C::Sms2, "SMS Номер 2"}}) {
        QLineEdit* number = MakeEdit(ControlIndex(control), Ru(caption));
        AddRow(grid, Caption(Ru(caption), number), number);
    }
    return group;
}

QWidget* CWizardPage::PasswordGroup() {
    QGroupBox* group = Group(Ru("Пароль для управления "));
    auto* row = new QHBoxLayout(group);
    row->addWidget(MakeCheck(ControlIndex(C::PasswordOn), Ru("Вкл.")));
    row->addWidget(MakeEdit(ControlIndex(C::Password), Ru("Пароль для управления")), 1);
    row->addWidget(MakeButton(ControlIndex(C::PasswordChange), Ru("Изменить")));
    return group;
}

QWidget* CWizardPage::TrackGroup() {
    QGroupBox* group = Group(Ru("Настроки трека"));
    auto* grid = new QGridLayout(group);
    const struct {
        C box;
        C edit;
        const char* caption;
    } filters[] = {{C::DistanceOn, C::Distance, "Расстояние"},
                   {C::AngleOn, C::Angle, "Угол поворота"},
                   {C::SpeedOn, C::Speed, "Мин. скорость"}};
    for (const auto& f : filters) {
        const int row = grid->rowCount();
        grid->addWidget(MakeCheck(ControlIndex(f.box), Ru(f.caption)), row, 0);
        grid->addWidget(MakeEdit(ControlIndex(f.edit), Ru(f.caption)), row, 1);
    }
    for (auto [control, caption] :
         {std::pair{C::RestTime, "Время в покое"}, std::pair{C::MotionTime, "Время в движ."}}) {
        QLineEdit* edit = MakeEdit(ControlIndex(control), Ru(caption));
        AddRow(grid, Caption(Ru(caption), edit), edit);
    }
    return group;
}

// A check box per input with its mode list under it; the list is named by the box.
QWidget* CWizardPage::InputsGroup() {
    QGroupBox* group = Group(Ru("Входы"));
    auto* grid = new QGridLayout(group);
    const C boxes[] = {C::In1, C::In2, C::In3, C::In4, C::IgnOn};
    const C lists[] = {C::Mode1, C::Mode2, C::Mode3, C::Mode4, C::IgnSource};
    for (int column = 0; column < 5; ++column) {
        const QString caption = column < 4 ? QStringLiteral("IN%1").arg(column + 1) : QStringLiteral("IGN");
        grid->addWidget(MakeCheck(ControlIndex(boxes[column]), caption), 0, column);
        grid->addWidget(MakeList(ControlIndex(lists[column]), caption), 1, column);
    }
    return group;
}

QWidget* CWizardPage::Rs485Group() {
    QGroupBox* group = Group(QStringLiteral("RS-485"));
    auto* grid = new QGridLayout(group);
    QComboBox* speed = MakeList(ControlIndex(C::Rs485Speed), Ru("Скорость"));
    grid->addWidget(Caption(Ru("Скорость"), speed), 0, 0);
    grid->addWidget(speed, 0, 1, 1, 3);
    grid->addWidget(new QLabel(Ru("Адрес"), group), 1, 2);
    for (int k = 1; k <= 4; ++k) {
        const QString sensor = Ru("ДУТ %1").arg(k);
        grid->addWidget(MakeCheck(ControlIndex(C::Lls1) + k - 1, sensor), k + 1, 0, 1, 2);
        grid->addWidget(MakeEdit(ControlIndex(C::Address1) + k - 1, Ru("Адрес ") + sensor), k + 1, 2);
    }
    return group;
}

QLabel* CWizardPage::MakeLink() {
    m_link = new QLabel(this);
    m_link->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                        .arg(QString::fromUtf8(AppInfo::kWebsite), QString::fromUtf8(AppInfo::kCompany)));
    m_link->setOpenExternalLinks(true);
    m_link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_link->setAccessibleName(QString::fromUtf8(AppInfo::kCompany));
    return m_link;
}
