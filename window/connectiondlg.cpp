#include "window/connectiondlg.h"

#include "window/busyloop.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
struct ModeTexts {
    ConnectionMode mode;
    const char* title;
    const char* text;
};

constexpr ModeTexts kModeTexts[] = {
    {ConnectionMode::Recheck, "Соединяем...", "Соединяем..."},
    {ConnectionMode::WriteAll, "Загрузка настроек...", "Загрузка настроек в устройство..."},
    {ConnectionMode::ReadAll, "Выгрузка настроек...", "Выгрузка настроек из устройства..."},
};

const ModeTexts& TextsOf(ConnectionMode mode) {
    for (const ModeTexts& entry : kModeTexts)
        if (entry.mode == mode)
            return entry;
    return kModeTexts[0];
}
}  // namespace

CConnectionDlg::CConnectionDlg(ConnectionMode mode, std::function<void()> sequence, QWidget* parent)
    : QDialog(parent), m_sequence(std::move(sequence)) {
    const ModeTexts& texts = TextsOf(mode);
    setWindowTitle(QString::fromUtf8(texts.title));
    setModal(true);
    setMinimumWidth(400);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 12, 20, 12);
    m_text = new QLabel(QString::fromUtf8(texts.text), this);
    m_text->setAlignment(Qt::AlignCenter);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, kProgressMax);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(20);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    m_timer = new QTimer(this);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &CConnectionDlg::Tick);
}

CConnectionDlg::~CConnectionDlg() {
    if (m_worker.joinable())
        m_worker.join();
}

void CConnectionDlg::RunModal() {
    m_timer->start();
    m_worker = std::thread([this] {
        if (m_sequence)
            m_sequence();
        m_finished.store(true);
        QMetaObject::invokeMethod(this, &CConnectionDlg::OnSequenceEnded, Qt::QueuedConnection);
    });
    exec();
    WaitForWorker();
}

void CConnectionDlg::Tick() {
    // Shows activity, not progress: the bar starts again after its end.
    const int next = m_progress->value() + 1;
    m_progress->setValue(next > kProgressMax ? 0 : next);
}

void CConnectionDlg::OnSequenceEnded() {
    m_timer->stop();
    accept();
}

void CConnectionDlg::reject() {
    m_timer->stop();
    QDialog::reject();
}

void CConnectionDlg::closeEvent(QCloseEvent* event) {
    // The close box waits for the sequence: the dialog closes when it ends.
    if (!m_finished.load())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void CConnectionDlg::WaitForWorker() {
    SpinUntil([this] { return m_finished.load(); });
    if (m_worker.joinable())
        m_worker.join();
}
