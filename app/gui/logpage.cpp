#include "app/gui/logpage.h"

#include "app/gui/devtext.h"
#include "model/dataserver.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <cstring>

namespace {
constexpr uint8_t kSourceMask = 0x7E;  // bits 1 to 6 of the log word
constexpr int kSourceShift = 1;

struct SourceBox {
    const char* caption;
    int source;
    bool (*available)(const DeviceTypeRecord&);
};

bool Always(const DeviceTypeRecord&) { return true; }

constexpr SourceBox kSourceBoxes[CLogPage::kSources] = {
    {"SYS ", 1, Always},      {"GSM", 2, Caps::Gsm},    {"GPS", 3, Caps::Gnss},
    {"OW", 5, Always},        {"485h", 8, Caps::Rs485}, {"485a", 9, Caps::Rs485},
};
}  // namespace

CLogPage::CLogPage(CDataServer& model, PageServices services, QWidget* parent)
    : CShellPage(parent), m_data(model), m_services(std::move(services))
{
    auto* layout = new QVBoxLayout(this);
    m_view = new QPlainTextEdit(this);
    m_view->setReadOnly(true);
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(m_view, 1);

    auto* sources = new QHBoxLayout;
    for (int i = 0; i < kSources; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromUtf8(kSourceBoxes[i].caption), this);
        connect(m_boxes[i], &QCheckBox::clicked, this, [this, i] { OnSourceClicked(i); });
        sources->addWidget(m_boxes[i]);
    }
    sources->addStretch(1);
    layout->addLayout(sources);

    auto* group = new QGroupBox(QString::fromUtf8("Команда"), this);
    auto* row = new QHBoxLayout(group);
    m_command = new QLineEdit(group);
    m_command->setMaxLength(kCommandLimit);
    m_send = new QPushButton(QString::fromUtf8("Отправить"), group);
    m_clear = new QPushButton(QString::fromUtf8("Очистить"), group);
    row->addWidget(m_command, 1);
    row->addWidget(m_send);
    row->addWidget(m_clear);
    layout->addWidget(group);

    connect(m_send, &QPushButton::clicked, this, &CLogPage::OnSend);
    connect(m_clear, &QPushButton::clicked, m_view, &QPlainTextEdit::clear);
}

void CLogPage::AppendLine(const char* line)
{
    if (!m_attached || line == nullptr)
        return;
    // Line feeds alone end the view's lines; carriage returns would show as stray characters.
    const QString text = FromDeviceText(line, std::strlen(line), kLineLimit).remove(QLatin1Char('\r'));
    // The view is emptied, not trimmed, when a line would take it past its limit.
    if (m_view->document()->characterCount() - 1 + text.size() > kViewLimit)
        m_view->clear();
    QTextCursor cursor(m_view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    m_view->setTextCursor(cursor);
}

void CLogPage::OnSetActive()
{
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    if (m_services.setActivePageCode)
        m_services.setActivePageCode(kPageCode);
    UncheckAll();
    for (int i = 0; i < kSources; ++i)
        m_boxes[i]->setEnabled(kSourceBoxes[i].available(type));
    uint8_t log = 0;
    m_data.Get(DI_LOG, log);
    const int source = (log & kSourceMask) >> kSourceShift;
    for (int i = 0; i < kSources; ++i)
        if (kSourceBoxes[i].source == source)
            m_boxes[i]->setChecked(true);
}

void CLogPage::OnSourceClicked(int index)
{
    const bool checked = m_boxes[index]->isChecked();
    UncheckAll();
    uint8_t log = 0;
    m_data.Get(DI_LOG, log);
    const int source = checked ? kSourceBoxes[index].source : 0;
    log = static_cast<uint8_t>((log & ~kSourceMask) | ((source << kSourceShift) & kSourceMask));
    m_data.Set(DI_LOG, log);
    if (m_services.sendCommand)
        m_services.sendCommand(2, "LOG", nullptr);
    if (checked)
        m_boxes[index]->setChecked(true);
}

void CLogPage::OnSend()
{
    char line[kSendLimit + 1];
    // An empty field sends nothing: the worker would refuse an empty raw line.
    if (ToDeviceText(m_command->text().left(kSendLimit), line, sizeof line) == 0)
        return;
    if (m_services.sendCommand)
        m_services.sendCommand(3, line, nullptr);
}

void CLogPage::UncheckAll()
{
    for (QCheckBox* box : m_boxes)
        box->setChecked(false);
}
