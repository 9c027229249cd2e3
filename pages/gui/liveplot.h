// "График": the session's live values over time, the ones ticked in the list,
// each on an axis in its unit. It only shows the store's samples.
#pragma once

#include "shell/livesamples.h"

#include <QWidget>

#include <cstdint>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QTimer;

class CLivePlot : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSave = "Сохранить CSV";
    static constexpr const char* kPause = "Пауза";

    // store may be null (no session): the plot stays empty.
    explicit CLivePlot(CSampleStore* store, QWidget* parent = nullptr);

    // Redraws from the store unless paused.
    void Update();
    // Writes the store's samples; false (and a message box) on failure.
    bool SaveCsv(const QString& path);

    QListWidget* List() const { return m_list; }
    QComboBox* Span() const { return m_span; }
    QCheckBox* PauseBox() const { return m_pause; }
    QPushButton* SaveButton() const { return m_save; }
    QChart* Chart() const { return m_chart; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Rebuild();
    void OnSave();

    CSampleStore* m_store;
    QListWidget* m_list = nullptr;
    QComboBox* m_span = nullptr;
    QCheckBox* m_pause = nullptr;
    QPushButton* m_save = nullptr;
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QTimer* m_timer = nullptr;
    uint64_t m_shown = UINT64_MAX;  // the store's count at the last redraw
};
