// How long the user-interface thread stalls in the real window against the
// simulated device pacing its replies at 9600 baud with no reply delay. A 10 ms
// watchdog timer on that thread notes each tick's lateness (the gap since the
// previous tick beyond the 10 ms period). Three measurements:
// - connecting to a type-11 device and reading everything from it: the total
//   time, the ticks, the worst lateness (goal: at most 50 ms) and the 99th
//   percentile;
// - "Информация" active for 30 s while the status poll reads its groups: the
//   worst lateness (goal: under 16 ms), and the time each of the page's
//   refreshes takes on that thread (goal: median under 2 ms);
// - one load of "Главная" on that thread (goal: median under 2 ms);
// - "Информация" with "График" showing ten values over the last hour for 60 s:
//   the worst lateness and the longest event (goal: at most 8 ms);
// - the plot's redraw once a second with ten series of 3600 samples: the data
//   update and the repaint (goal: at most 2 ms), and the store's bytes for a
//   whole day at one sample a second.

#include "model/dataserver.h"
#include "pages/gui/infopage.h"
#include "pages/gui/liveplot.h"
#include "pages/gui/wizardpage.h"
#include "sim/devsim.h"
#include "window/mainsheets.h"
#include "window/shellbridge.h"
#include "window/sidepanel.h"
#include "window/windowset.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kPeriodMs = 10;
constexpr qint64 kGiveUpMs = 60000;  // a hung connect ends the run instead of the machine's patience
constexpr qint64 kInfoRunMs = 30000;
constexpr int kMainLoads = 200;
constexpr qint64 kPlotRunMs = 60000;
constexpr int kPlotSeries = 10;
constexpr int kHour = 3600;
constexpr int kPlotRedraws = 100;

double Ms(qint64 ns) { return static_cast<double>(ns) / 1e6; }

double MedianMs(std::vector<qint64> ns) {
    if (ns.empty())
        return 0.0;
    std::sort(ns.begin(), ns.end());
    return Ms(ns[ns.size() / 2]);
}

double MaxMs(const std::vector<qint64>& ns) { return ns.empty() ? 0.0 : Ms(*std::max_element(ns.begin(), ns.end())); }

// Times, on the user-interface thread, how long one object takes to handle
// its timer events (for a page's refresh timer, one whole refresh), and the
// longest event of all: a lateness far beyond it came from the machine, not
// from work on the thread.
class CTimingApp : public QApplication {
public:
    using QApplication::QApplication;
    void Time(QObject* receiver) {
        m_receiver = receiver;
        m_samples.clear();
        m_longestNs = 0;
        m_longestClass = "";
    }
    const std::vector<qint64>& Samples() const { return m_samples; }
    double LongestMs() const { return Ms(m_longestNs); }
    const char* LongestClass() const { return m_longestClass; }

    // Events sent while one is handled count in the outer one.
    bool notify(QObject* receiver, QEvent* event) override {
        if (m_depth > 0)
            return QApplication::notify(receiver, event);
        const bool timed = receiver == m_receiver && event->type() == QEvent::Timer;
        const char* className = receiver->metaObject()->className();
        ++m_depth;
        QElapsedTimer clock;
        clock.start();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 ns = clock.nsecsElapsed();
        --m_depth;
        if (timed)
            m_samples.push_back(ns);
        if (ns > m_longestNs) {
            m_longestNs = ns;
            m_longestClass = className;
        }
        return handled;
    }

private:
    QObject* m_receiver = nullptr;
    std::vector<qint64> m_samples;
    int m_depth = 0;
    qint64 m_longestNs = 0;
    const char* m_longestClass = "";
};

// Ticks every period on the calling thread and keeps each tick's lateness.
class StallWatch {
public:
    StallWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kPeriodMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        m_lateNs.clear();
        m_atNs.clear();
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void Stop() { m_timer.stop(); }
    size_t Ticks() const { return m_lateNs.size(); }
    double WorstMs() const {
        return m_lateNs.empty() ? 0.0 : *std::max_element(m_lateNs.begin(), m_lateNs.end()) / 1e6;
    }
    // When the worst tick came, since the start.
    double WorstAtMs() const {
        if (m_lateNs.empty())
            return 0.0;
        const auto worst = std::max_element(m_lateNs.begin(), m_lateNs.end()) - m_lateNs.begin();
        return Ms(m_atNs[static_cast<size_t>(worst)]);
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
        m_atNs.push_back(now);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<qint64> m_lateNs;
    std::vector<qint64> m_atNs;
};

void RunFor(qint64 ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void PrintStalls(const StallWatch& watch, const char* goal) {
    std::printf("  watchdog ticks    %zu (every %d ms)\n", watch.Ticks(), kPeriodMs);
    std::printf("  worst lateness    %.1f ms (goal %s), %.0f ms after the start\n", watch.WorstMs(), goal,
                watch.WorstAtMs());
    std::printf("  99th percentile   %.1f ms\n", watch.PercentileMs(0.99));
}

// The refresh timer a form page runs while it is the active tab.
QTimer* RefreshTimer(QWidget* page) { return page->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly); }

bool ConnectAndReadAll(CMainSheets& window, const CShellState& state, StallWatch& watch, const CDevSim& sim) {
    CPortComboBox* ports = window.Panel()->PortList();
    ports->showPopup();
    ports->hidePopup();
    emit ports->activated(0);
    QApplication::processEvents();

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
    PrintStalls(watch, "<= 50 ms");
    std::printf("  lines received by the device %zu\n", sim.ReceivedLines().size());
    return done;
}

void InfoDuringThePoll(CTimingApp& app, CMainSheets& window, StallWatch& watch, const CDevSim& sim) {
    QWidget* info = nullptr;
    for (int i = 0; i < window.Tabs()->count() && !info; ++i)
        info = qobject_cast<CInfoPage*>(window.Tabs()->widget(i));
    if (!info) {
        std::printf("no Info page\n");
        return;
    }
    const size_t linesBefore = sim.ReceivedLines().size();
    app.Time(RefreshTimer(info));
    watch.Start();
    window.Tabs()->setCurrentWidget(info);
    RunFor(kInfoRunMs);
    watch.Stop();
    std::printf("\"Информация\" active during the status poll for %lld s:\n",
                static_cast<long long>(kInfoRunMs / 1000));
    PrintStalls(watch, "< 16 ms");
    std::printf("  refreshes         %zu, median %.3f ms (goal < 2 ms), worst %.3f ms\n", app.Samples().size(),
                MedianMs(app.Samples()), MaxMs(app.Samples()));
    std::printf("  longest event     %.3f ms (%s)\n", app.LongestMs(), app.LongestClass());
    std::printf("  lines received by the device %zu\n", sim.ReceivedLines().size() - linesBefore);
    app.Time(nullptr);
}

// Each tick after a refresh request loads the main page whole from the record;
// the ticks are sent at once instead of waiting a second for each.
void MainPageLoads(CTimingApp& app, CMainSheets& window, CWizardPage& mainPage, CShellState& state) {
    window.Tabs()->setCurrentWidget(&mainPage);
    QApplication::processEvents();
    QTimer* timer = RefreshTimer(&mainPage);
    app.Time(timer);
    for (int i = 0; i < kMainLoads; ++i) {
        state.refreshMain = true;
        QTimerEvent tick(timer->timerId());
        QCoreApplication::sendEvent(timer, &tick);
    }
    std::printf("\"Главная\" loads on the user-interface thread:\n");
    std::printf("  loads             %zu, median %.3f ms (goal < 2 ms), worst %.3f ms\n", app.Samples().size(),
                MedianMs(app.Samples()), MaxMs(app.Samples()));
    app.Time(nullptr);
}

// An hour of samples, one a second, ending now; every series moves.
void FillHour(CSampleStore& store, int64_t endMs) {
    for (int i = 0; i < kHour; ++i) {
        LiveSample s{endMs - (kHour - i) * 1000LL, {}};
        for (size_t k = 0; k < kLiveSeriesCount; ++k)
            s.values[k] = static_cast<float>(1000 + 100 * std::sin(i / 60.0 + static_cast<double>(k)));
        store.Add(s);
    }
}

void TickSeries(CLivePlot& plot, int count) {
    for (int i = 0; i < plot.List()->count(); ++i)
        plot.List()->item(i)->setCheckState(i < count ? Qt::Checked : Qt::Unchecked);
}

QWidget* InfoPage(CMainSheets& window) {
    for (int i = 0; i < window.Tabs()->count(); ++i)
        if (auto* info = qobject_cast<CInfoPage*>(window.Tabs()->widget(i)))
            return info;
    return nullptr;
}

void PlotDuringThePoll(CTimingApp& app, CMainSheets& window, CSampleStore& live, StallWatch& watch) {
    QWidget* info = InfoPage(window);
    auto* plot = info ? info->findChild<CLivePlot*>() : nullptr;
    if (!plot) {
        std::printf("no plot\n");
        return;
    }
    FillHour(live, QDateTime::currentMSecsSinceEpoch());
    window.Tabs()->setCurrentWidget(info);
    info->findChild<QTabWidget*>()->setCurrentWidget(plot);
    TickSeries(*plot, kPlotSeries);
    plot->Span()->setCurrentIndex(1);  // 30 min
    QApplication::processEvents();
    app.Time(nullptr);
    watch.Start();
    RunFor(kPlotRunMs);
    watch.Stop();
    std::printf("\"Информация\" / \"График\" (%d series, the last hour, 30 min shown) during the poll for %lld s:\n",
                kPlotSeries, static_cast<long long>(kPlotRunMs / 1000));
    PrintStalls(watch, "<= 8 ms");
    std::printf("  longest event     %.3f ms (%s, goal <= 8 ms)\n", app.LongestMs(), app.LongestClass());
    std::printf("  samples taken by the poll meanwhile %zu\n", live.Size() - kHour);
}

// Each redraw follows one new sample, as once a second in a session.
void PlotRedraws() {
    CSampleStore store;
    FillHour(store, QDateTime::currentMSecsSinceEpoch());
    CLivePlot plot(&store);
    plot.resize(1000, 600);
    plot.show();
    TickSeries(plot, kPlotSeries);
    for (int span = 0; span < plot.Span()->count(); ++span) {
        plot.Span()->setCurrentIndex(span);
        QApplication::processEvents();
        std::vector<qint64> updates, paints;
        for (int i = 0; i < kPlotRedraws; ++i) {
            LiveSample s{store.NewestMs().value_or(0) + 1000, {}};
            s.values.fill(1000);
            store.Add(s);
            QElapsedTimer clock;
            clock.start();
            plot.Update();
            updates.push_back(clock.nsecsElapsed());
            clock.restart();
            plot.findChild<QChartView*>()->repaint();
            paints.push_back(clock.nsecsElapsed());
        }
        std::printf(
            "plot redraw, %d series of %d samples, span \"%s\": update median %.3f ms worst %.3f ms, "
            "repaint median %.3f ms worst %.3f ms (goal <= 2 ms)\n",
            kPlotSeries, kHour, plot.Span()->currentText().toUtf8().constData(), MedianMs(updates), MaxMs(updates),
            MedianMs(paints), MaxMs(paints));
    }
}

void StoreForADay() {
    CSampleStore store;
    for (int i = 0; i < 24 * kHour; ++i)
        store.Add({i * 1000LL, {}});
    std::printf("sample store, 24 h at 1 Hz, %zu series: %zu samples kept, %.2f MB\n", kLiveSeriesCount, store.Size(),
                static_cast<double>(store.Bytes()) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    CTimingApp app(argc, argv);

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

    StallWatch watch;
    const bool done = ConnectAndReadAll(window, windows.Bridge().State(), watch, sim);
    if (done) {
        InfoDuringThePoll(app, window, watch, sim);
        MainPageLoads(app, window, windows.MainPage(), windows.Bridge().State());
        PlotDuringThePoll(app, window, windows.Bridge().Session().StatusPoll().Samples(), watch);
        PlotRedraws();
        StoreForADay();
    }
    std::printf("message boxes %d\n", boxes);

    boxWatch.stop();
    window.close();
    return done ? 0 : 1;
}
