#include "window/sidepanel.h"

#include "base/appinfo.h"
#include "pages/gui/valuelabel.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 20;
constexpr int kButtonGap = 7;
constexpr int kGroupTopGap = 20;
constexpr int kBannerLabelWidth = 50;
constexpr int kBannerRowStep = 18;
constexpr int kBannerFirstRow = 23;
constexpr int kBannerValueChars = 19;
constexpr const char* kBannerLabels[CSidePanel::kBannerRows] = {" HW: ", " FW: ", " Boot: ", " Quil: ", " Date: "};
constexpr const char* kBannerEmpty = " ---";
constexpr const char* kHintName = "Подсказка";

QFont PanelFont(QFont font) {
    font.setPointSize(7);
    return font;
}
}  // namespace

CSidePanel::CSidePanel(QWidget* parent) : QWidget(parent) {
    setFixedWidth(kWidth);
    setFont(PanelFont(font()));
    auto* panel = new QVBoxLayout(this);
    panel->setContentsMargins(4, 0, 4, 0);

    QGroupBox* device = AddGroup(panel, " Устройство");
    m_portList = new CPortComboBox(device);
    m_portList->setFixedWidth(kButtonWidth);
    device->layout()->addWidget(m_portList);
    m_connect = AddButton(device, "Подключить");
    m_write = AddButton(device, "Записать");
    m_read = AddButton(device, "Прочитать");

    QGroupBox* file = AddGroup(panel, "  Файл");
    m_open = AddButton(file, "Открыть");
    m_save = AddButton(file, "Сохранить");
    m_create = AddButton(file, "Создать");

    BuildBanner(AddGroup(panel, "  Инфо"));

    QGroupBox* control = AddGroup(panel, "  Управление");
    m_reboot = AddButton(control, "Перезагрузить");
    m_defaults = AddButton(control, "По умолчанию");
    panel->addStretch(1);

    Apply(ComputeControls(ShellFlags{}, false, false));
}

QGroupBox* CSidePanel::AddGroup(QVBoxLayout* panel, const char* caption) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), this);
    auto* layout = new QVBoxLayout(group);
    layout->setSpacing(kButtonGap);
    layout->setContentsMargins(0, kGroupTopGap, 0, kButtonGap);
    layout->setAlignment(Qt::AlignHCenter);
    panel->addWidget(group);
    return group;
}

QPushButton* CSidePanel::AddButton(QGroupBox* group, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), group);
    button->setFixedSize(kButtonWidth, kButtonHeight);
    button->setAutoDefault(false);
    group->layout()->addWidget(button);
    return button;
}

void CSidePanel::BuildBanner(QGroupBox* group) {
    delete group->layout();
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(0, kBannerFirstRow, 0, kButtonGap);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(0);
    grid->setColumnMinimumWidth(0, kBannerLabelWidth);
    for (int row = 0; row < kBannerRows; ++row) {
        const QString caption = QString::fromUtf8(kBannerLabels[row]);
        auto* label = new QLabel(caption, group);
        QLabel* value = MakeValueLabel(caption.trimmed().chopped(1), group);
        ShowValueText(value, QString::fromUtf8(kBannerEmpty));
        label->setFixedHeight(kBannerRowStep);
        value->setFixedHeight(kBannerRowStep);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
        m_bannerValues[row] = value;
    }
    grid->setColumnStretch(1, 1);
}

void CSidePanel::Apply(const ControlStates& s) {
    m_reboot->setEnabled(s.reboot);
    m_defaults->setEnabled(s.defaults);
    m_connect->setText(QString::fromUtf8(s.connectShowsDisconnect ? "Отключить" : "Подключить"));
    m_connect->setEnabled(s.connectEnabled);
    m_portList->setEnabled(s.portList);
    m_write->setEnabled(s.writeRead);
    m_read->setEnabled(s.writeRead);
    m_open->setText(QString::fromUtf8(s.openShowsClose ? "Закрыть" : "Открыть"));
    m_open->setEnabled(true);
    m_create->setEnabled(s.create);
    m_save->setEnabled(s.save);
}

void CSidePanel::SetBanner(const std::array<QString, kBannerRows>& values) {
    for (int row = 0; row < kBannerRows; ++row)
        ShowValueText(m_bannerValues[row], QStringLiteral(" ") + values[row].left(kBannerValueChars));
}

CStatusStrip::CStatusStrip(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 1, 0, 1);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    outer->addWidget(frame);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(2, 0, 2, 0);
    const QString version = QString::fromUtf8(AppInfo::kVersion);
    m_version = MakeValueLabel(QStringLiteral("VER"), frame);
    ShowValueText(m_version, QStringLiteral(" VER: ") + version + QStringLiteral(" |"), version);
    m_version->setFixedWidth(150);
    m_hint = MakeValueLabel(QString::fromUtf8(kHintName), frame);
    m_imei = MakeValueLabel(QStringLiteral("IMEI"), frame);
    SetImeiText(QStringLiteral("| S/N: ---"));
    m_imei->setFixedWidth(161);
    m_imei->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_version);
    row->addWidget(m_hint, 1);
    row->addWidget(m_imei);
}

// The screen reader hears the number without the strip's separators and caption.
void CStatusStrip::SetImeiText(const QString& text) {
    ShowValueText(m_imei, text, text.section(QLatin1Char(':'), 1).trimmed());
}

void CStatusStrip::SetHint(const QString& text) { ShowValueText(m_hint, text); }
