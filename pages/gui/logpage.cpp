#include "pages/gui/logpage.h"

#include "pages/gui/devtext.h"

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

CLogPage::CLogPage(CDataServer& model, IPageHost& host, QWidget* parent) : CShellPage(parent), m_form(model, host) {
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
        m_boxes[i] = new QCheckBox(QString::fromUtf8(CLogForm::SourceAt(i).caption), this);
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
    connect(m_command, &QLineEdit::returnPressed, this, &CLogPage::OnSend);
    connect(m_clear, &QPushButton::clicked, m_view, &QPlainTextEdit::clear);
}

void CLogPage::AppendLine(const char* line) {
    if (!m_attached || !m_initialised || line == nullptr)
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

void CLogPage::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        m_command->clear();
        m_view->clear();
    }
    CShellPage::showEvent(event);
}

void CLogPage::OnSetActive() {
    const CLogForm::View view = m_form.Activate();
    for (int i = 0; i < kSources; ++i)
        m_boxes[i]->setEnabled(view.enabled[i]);
    ShowChecked(view.checked);
}

void CLogPage::OnSourceClicked(int index) {
    const bool checked = m_boxes[index]->isChecked();
    ShowChecked(CLogForm::kNone);  // no box shows a source while the device is told
    ShowChecked(m_form.SourceClicked(index, checked));
}

void CLogPage::OnSend() {
    char line[CLogForm::kSendLimit + 1];
    ToDeviceText(m_command->text().left(CLogForm::kSendLimit), line, sizeof line);
    m_form.SendLine(line);
}

// At most one source is on: every box but the given one is cleared.
void CLogPage::ShowChecked(int index) {
    for (int i = 0; i < kSources; ++i)
        m_boxes[i]->setChecked(i == index);
}
