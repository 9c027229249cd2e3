#include "pages/gui/liveplot.h"

#include "base/appinfo.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

QString Ru(const char* text) { return QString::fromUtf8(text); }

struct SpanChoice {
    const char* caption;
    int64_t ms;  // 0: the whole session
};
constexpr SpanChoice kSpans[] = {{"5 мин", 5 * 60 * 1000}, {"30 мин", 30 * 60 * 1000}, {"Вся сессия", 0}};

constexpr LiveSeries kTickedFirst[] = {LiveSeries::ExtPower, LiveSeries::Battery, LiveSeries::Rssi};
constexpr int kRedrawMs = 1000;

struct Range {
    double low = INFINITY, high = -INFINITY;
};

}  // namespace

CLivePlot::CLivePlot(CSampleStore* store, QWidget* parent)
    : QWidget(parent), m_store(store), m_timer(new QTimer(this)) {
    m_list = new QListWidget(this);
    m_list->setAccessibleName(Ru("Величины"));
    for (size_t i = 0; i < kLiveSeriesCount; ++i) {
        const LiveSeriesTraits& t = Traits(static_cast<LiveSeries>(i));
        auto* item = new QListWidgetItem(Ru(t.caption) + QStringLiteral(", ") + Ru(t.unit), m_list);
        const bool ticked = std::find(std::begin(kTickedFirst), std::end(kTickedFirst), static_cast<LiveSeries>(i)) !=
                            std::end(kTickedFirst);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    m_list->setMaximumWidth(m_list->sizeHintForColumn(0) + 32);

    m_span = new QComboBox(this);
    for (const SpanChoice& span : kSpans)
        m_span->addItem(Ru(span.caption));
    m_span->setAccessibleName(Ru("Интервал"));
    auto* spanCaption = new QLabel(Ru("Интервал"), this);
    spanCaption->setBuddy(m_span);
    m_pause = new QCheckBox(Ru(kPause), this);
    m_pause->setAccessibleName(Ru(kPause));
    m_save = new QPushButton(Ru(kSave), this);
    m_save->setAccessibleName(Ru(kSave));

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_view = new QChartView(m_chart, this);
    m_view->setAccessibleName(Ru("График"));

    auto* side = new QVBoxLayout;
    side->addWidget(m_list, 1);
    side->addWidget(spanCaption);
    side->addWidget(m_span);
    side->addWidget(m_pause);
    side->addWidget(m_save);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addWidget(m_view, 1);

    connect(m_list, &QListWidget::itemChanged, this, &CLivePlot::Rebuild);
    connect(m_span, &QComboBox::currentIndexChanged, this, [this] {
        m_shown = UINT64_MAX;
        Update();
    });
    connect(m_pause, &QCheckBox::toggled, this, [this](bool paused) {
        if (!paused)
            Update();
    });
    connect(m_save, &QPushButton::clicked, this, &CLivePlot::OnSave);
    m_timer->setInterval(kRedrawMs);
    connect(m_timer, &QTimer::timeout, this, &CLivePlot::Update);
    Rebuild();
}

void CLivePlot::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_timer->start();
    Update();
}

void CLivePlot::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

// One line per ticked value; the values of one unit share an axis.
void CLivePlot::Rebuild() {
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("HH:mm:ss"));
    time->setTitleText(Ru("Время"));
    m_chart->addAxis(time, Qt::AlignBottom);
    std::map<QString, QValueAxis*> axes;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->checkState() != Qt::Checked)
            continue;
        const LiveSeriesTraits& t = Traits(static_cast<LiveSeries>(i));
        auto* line = new QLineSeries;
        line->setName(Ru(t.caption));
        line->setProperty("series", i);
        m_chart->addSeries(line);
        QValueAxis*& axis = axes[Ru(t.unit)];
        if (!axis) {
            axis = new QValueAxis;
            axis->setTitleText(Ru(t.unit));
            axis->setLabelFormat(QStringLiteral("%.0f"));
            m_chart->addAxis(axis, axes.size() % 2 ? Qt::AlignLeft : Qt::AlignRight);
        }
        line->attachAxis(time);
        line->attachAxis(axis);
    }
    m_shown = UINT64_MAX;
    Update();
}

// Each line gets at most one point per two pixels of the plot (the chart's
// cost grows with its points); a value's gaps are left out of its line.
void CLivePlot::Update() {
    if (!m_store || m_pause->isChecked())
        return;
    const uint64_t added = m_store->Added();
    if (added == m_shown)
        return;
    m_shown = added;
    const int64_t span = kSpans[std::max(0, m_span->currentIndex())].ms;
    // The span ends at the newest sample, not at the clock.
    const int64_t newest = m_store->NewestMs().value_or(QDateTime::currentMSecsSinceEpoch());
    const std::vector<LiveSample> samples = m_store->Since(span ? newest - span : 0);
    const int64_t oldest = span ? newest - span : (samples.empty() ? newest : samples.front().atMs);
    const size_t maxPoints = static_cast<size_t>(std::clamp(m_view->width() / 2, 100, 600));
    std::map<QAbstractAxis*, Range> ranges;
    for (QAbstractSeries* series : m_chart->series()) {
        auto* line = static_cast<QLineSeries*>(series);
        const auto which = static_cast<LiveSeries>(line->property("series").toInt());
        QList<QPointF> points;
        Range& range = ranges[line->attachedAxes().back()];
        for (const PlotPoint& p : ReducePoints(samples, which, maxPoints)) {
            if (std::isnan(p.value))
                continue;
            points.append(QPointF(static_cast<double>(p.atMs), p.value));
            range.low = std::min<double>(range.low, p.value);
            range.high = std::max<double>(range.high, p.value);
        }
        line->replace(points);
    }
    for (auto& [axis, range] : ranges) {
        if (range.low > range.high)
            continue;
        const double pad = std::max(1.0, (range.high - range.low) * 0.05);
        auto* values = static_cast<QValueAxis*>(axis);
        if (values->min() != range.low - pad || values->max() != range.high + pad)
            values->setRange(range.low - pad, range.high + pad);
    }
    for (QAbstractAxis* axis : m_chart->axes(Qt::Horizontal))
        axis->setRange(QDateTime::fromMSecsSinceEpoch(oldest), QDateTime::fromMSecsSinceEpoch(newest));
}

void CLivePlot::OnSave() {
    const QString name =
        QStringLiteral("live_") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")) + ".csv";
    const QString path = QFileDialog::getSaveFileName(this, Ru(kSave), name, QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        SaveCsv(path);
}

bool CLivePlot::SaveCsv(const QString& path) {
    static CSampleStore empty;
    std::string reason;
    if (LiveCsv::Save(m_store ? *m_store : empty, path.toStdString(), reason))
        return true;
    QMessageBox::critical(this, Ru(AppInfo::kName),
                          Ru("Не удалось сохранить файл ") + path + QStringLiteral(": ") + Ru(reason.c_str()));
    return false;
}
