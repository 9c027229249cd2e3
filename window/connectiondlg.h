// The modal progress dialog of read-all, write-all and the port recheck. Its
// sequence runs once on a worker thread; the dialog closes when it ends.
#pragma once

#include "shell/progressdialog.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <thread>

class QLabel;
class QProgressBar;
class QTimer;

class CConnectionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kProgressMax = 60;
    static constexpr int kTickMs = 200;

    CConnectionDlg(ConnectionMode mode, std::function<void()> sequence, QWidget* parent = nullptr);
    ~CConnectionDlg() override;

    // Shows the dialog modally and returns only after the sequence has ended,
    // also when Esc closed the dialog earlier.
    void RunModal();

    bool SequenceFinished() const { return m_finished.load(); }
    QProgressBar* Progress() const { return m_progress; }
    QLabel* TextLine() const { return m_text; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Tick();
    void OnSequenceEnded();
    void WaitForWorker();

    std::function<void()> m_sequence;
    QLabel* m_text = nullptr;
    QProgressBar* m_progress = nullptr;
    QTimer* m_timer = nullptr;
    std::thread m_worker;
    std::atomic<bool> m_finished{false};
};
