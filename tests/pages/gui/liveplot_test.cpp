#include "pages/gui/liveplot.h"

#include "tests/support/qtapp.h"

#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int64_t kStartMs = 1'700'000'000'000;

class LivePlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        // An hour at one sample a second; the supply drops to 9 V for one sample.
        for (int i = 0; i < 3600; ++i) {
            LiveSample s{kStartMs + i * 1000LL, {}};
            s.values.fill(std::nanf(""));
            s.values[static_cast<size_t>(LiveSeries::ExtPower)] = i == 1800 ? 9000 : 12600;
            s.values[static_cast<size_t>(LiveSeries::Speed)] = static_cast<float>(i % 90);
            store.Add(s);
        }
        plot = std::make_unique<CLivePlot>(&store);
        plot->resize(900, 500);
        plot->show();
    }

    QLineSeries* Line(const char* name) {
        for (QAbstractSeries* s : plot->Chart()->series())
            if (s->name() == QString::fromUtf8(name))
                return static_cast<QLineSeries*>(s);
        return nullptr;
    }
    void Tick(LiveSeries series, bool on) {
        plot->List()->item(static_cast<int>(series))->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    void AddSample(int i) {
        LiveSample s{kStartMs + i * 1000LL, {}};
        s.values.fill(11000);
        store.Add(s);
    }

    CSampleStore store;
    std::unique_ptr<CLivePlot> plot;
};

TEST_F(LivePlotTest, EveryControlIsNamedByItsCaption) {
    EXPECT_EQ(plot->SaveButton()->accessibleName(), QString::fromUtf8(CLivePlot::kSave));
    EXPECT_EQ(plot->PauseBox()->accessibleName(), QString::fromUtf8(CLivePlot::kPause));
    EXPECT_FALSE(plot->Span()->accessibleName().isEmpty());
    EXPECT_FALSE(plot->List()->accessibleName().isEmpty());
    EXPECT_EQ(plot->List()->count(), static_cast<int>(kLiveSeriesCount));
}

// Ticked values are lines on axes in their units; the span picks the samples,
// and a short drop survives the reduction to the plot's width.
TEST_F(LivePlotTest, TickedValuesAreDrawnOverTheChosenSpan) {
    QLineSeries* supply = Line("Внешнее питание");
    ASSERT_NE(supply, nullptr);
    EXPECT_EQ(Line("Скорость"), nullptr);
    EXPECT_EQ(supply->attachedAxes().back()->titleText(), QStringLiteral("mV"));
    plot->Span()->setCurrentIndex(2);  // the whole session
    supply = Line("Внешнее питание");
    EXPECT_LT(supply->count(), 3600);
    bool drop = false;
    for (const QPointF& p : supply->points())
        drop |= p.y() == 9000;
    EXPECT_TRUE(drop);

    plot->Span()->setCurrentIndex(0);  // five minutes
    EXPECT_EQ(Line("Внешнее питание")->count(), 301);
    EXPECT_EQ(Line("Батарея")->count(), 0);  // no values at all

    Tick(LiveSeries::Speed, true);
    QLineSeries* speed = Line("Скорость");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->attachedAxes().back()->titleText(), QString::fromUtf8("км/ч"));
    EXPECT_EQ(speed->count(), 301);
}

TEST_F(LivePlotTest, PauseHoldsTheViewUntilItEnds) {
    const QPointF last = Line("Внешнее питание")->points().back();
    plot->PauseBox()->setChecked(true);
    AddSample(3600);
    plot->Update();
    EXPECT_EQ(Line("Внешнее питание")->points().back(), last);
    plot->PauseBox()->setChecked(false);
    EXPECT_EQ(Line("Внешнее питание")->points().back().y(), 11000);
}

TEST_F(LivePlotTest, SaveWritesEverySampleAndAFailureSaysSo) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("live.csv"));
    ASSERT_TRUE(plot->SaveCsv(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    EXPECT_EQ(lines.front().toStdString(), LiveCsv::Header());
    EXPECT_EQ(lines.size(), 3600 + 2);  // the header, the rows and the empty end
    QString text;
    CloseNextModal({}, nullptr, &text);
    EXPECT_FALSE(plot->SaveCsv(dir.filePath(QStringLiteral("no/such/folder.csv"))));
    EXPECT_TRUE(text.contains(QStringLiteral("folder.csv"))) << text.toStdString();
}

}  // namespace
