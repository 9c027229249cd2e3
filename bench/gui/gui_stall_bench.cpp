// How long the user-interface thread stalls while the real window connects to
// a type-11 device and reads everything from it, against the simulated device
// pacing its replies at 9600 baud with no reply delay. A 10 ms watchdog timer
// on that thread notes each tick's lateness (the gap since the previous tick
// beyond the 10 ms period); reported: the total time, the ticks, the worst
// lateness (goal: at most 50 ms) and the 99th percentile.

#include "app/gui/mainsheets.h"
#include "app/gui/shellbridge.h"
#include "app/gui/sidepanel.h"
#include "app/gui/windowset.h"
#include "model/dataserver.h"
#include "sim/devsim.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kPeriodMs = 10;
constexpr qint64 kGiveUpMs = 60000;  // a hung connect ends the run instead of the machine's patience

// Ticks every period on the calling thread and keeps each tick's lateness.
class StallWatch {
public:
    StallWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kPeriodMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void Stop() { m_timer.stop(); }
    size_t Ticks() const { return m_lateNs.size(); }
    double WorstMs() const {
        return m_lateNs.empty() ? 0.0 : *std::max_element(m_lateNs.begin(), m_lateNs.end()) / 1e6;
    }
    double PercentileMs(double share) const {
        if (m_lateNs.empty())
            return 0.0;
        std::vector<qint64> sorted = m_lateNs;
        std::sort(sorted.begin(), sorted.end());
        const size_t index =
            std::min(sorted.size() - 1, static_cast<size_t>(share * static_cast<double>(sorted.size())));
        return sorted[index] / 1e6;
    }

private:
    void Tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_lateNs.push_back(std::max<qint64>(0, now - m_last - kPeriodMs * 1000000LL));
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<qint64> m_lateNs;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    DevSimOptions options;
    options.type = 11;
    options.pacing = true;
    options.replyDelayMs = 0;
    options.link = folder.filePath(QStringLiteral("ttyDEMO")).toStdString();
    CDevSim sim(options);
    if (!sim.Start()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }

    CDataServer data;
    CWindowSet windows(data, folder.path().toStdString(), sim.PortPath());
    CMainSheets& window = windows.Window();
    const CShellState& state = windows.Bridge().State();
    window.show();

    // A message box would wait for a user: note it and close it.
    int boxes = 0;
    QTimer boxWatch;
    boxWatch.setInterval(20);
    QObject::connect(&boxWatch, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "message box: %s\n", box->text().toUtf8().constData());
            ++boxes;
            box->reject();
        }
    });
    boxWatch.start();

    CPortComboBox* ports = window.Panel()->PortList();
    ports->showPopup();
    ports->hidePopup();
    emit ports->activated(0);
    QApplication::processEvents();

    StallWatch watch;
    QElapsedTimer total;
    total.start();
    watch.Start();
    window.Panel()->ConnectButton()->click();
    // Read-all may still be finishing after the press returns: wait for the loaded, idle state.
    while (!(state.connected && state.deviceDataLoaded && !state.busy) && total.elapsed() < kGiveUpMs)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 totalMs = total.elapsed();
    watch.Stop();

    const bool done = state.connected && state.deviceDataLoaded;
    std::printf("connect + read-all (type 11, 9600 baud, no reply delay) in the window: %s\n",
                done ? "done" : "NOT finished");
    std::printf("  total time        %lld ms\n", static_cast<long long>(totalMs));
    std::printf("  watchdog ticks    %zu (every %d ms)\n", watch.Ticks(), kPeriodMs);
    std::printf("  worst lateness    %.1f ms (goal <= 50 ms)\n", watch.WorstMs());
    std::printf("  99th percentile   %.1f ms\n", watch.PercentileMs(0.99));
    std::printf("  message boxes     %d\n", boxes);
    std::printf("  lines received by the device %zu\n", sim.ReceivedLines().size());

    boxWatch.stop();
    window.close();
    return done ? 0 : 1;
}
