#include "window/busyloop.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <thread>

namespace {
bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride: return true;
    default: return false;
    }
}
}  // namespace

CBusyRunner::CBusyRunner(QWidget* window) : QObject(window), m_window(window) { qApp->installEventFilter(this); }

CBusyRunner::~CBusyRunner() { qApp->removeEventFilter(this); }

void CBusyRunner::Run(const std::function<void()>& work) {
    ++m_depth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done.store(true);
        // Queued to the loop's thread; dropped if the loop were already gone.
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    while (!done.load())
        loop.exec();
    worker.join();
    QApplication::restoreOverrideCursor();
    --m_depth;
}

bool CBusyRunner::eventFilter(QObject* watched, QEvent* event) {
    if (m_depth > 0 && IsUserInput(event->type()) && watched->isWidgetType()) {
        QWidget* widget = static_cast<QWidget*>(watched);
        if (widget->window() == m_window)
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void SpinUntil(const std::function<bool()>& done) {
    constexpr int kPollMs = 20;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(kPollMs);
    while (!done())
        loop.exec();
}
