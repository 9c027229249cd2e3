// Runs a blocking call off the user-interface thread while that thread keeps
// painting and serving queued calls, shows the wait cursor and ignores the
// user's input to the window (dialogs and message boxes opened meanwhile take input).
#pragma once

#include <QObject>

#include <functional>

class QWidget;

class CBusyRunner : public QObject {
    Q_OBJECT
public:
    explicit CBusyRunner(QWidget* window);
    ~CBusyRunner() override;

    // Returns when work has ended. Nested calls are allowed.
    void Run(const std::function<void()>& work);
    bool Busy() const { return m_depth > 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    int m_depth = 0;
};

// Spins the user-interface thread's event loop until done() turns true; the
// caller's thread is the user-interface thread. Bounded by nothing but done.
void SpinUntil(const std::function<bool()>& done);
