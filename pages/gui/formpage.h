// The base of every page that shows a form: it binds widgets to the form's
// controls, forwards the user's entries, shows the views it gets back, beeps
// and restores on a refused entry, and holds once for all pages what each of
// them repeats: activation (page code, reload unless modified, the 1000 ms
// timer), the timer's reload, deactivation and the collect for the page set.
#pragma once

#include "pages/core/form.h"
#include "pages/gui/shellpage.h"
#include "shell/pageset.h"
#include "shell/shellstate.h"

#include <QString>

#include <optional>
#include <vector>

class CIpEdit;
class IPageHost;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class CFormPage : public CShellPage, public ICollectingPage {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 1000;

    // refreshed: the refresh flag the timer tests; none to reload on every tick.
    CFormPage(CForm& form, IPageHost& host, std::optional<RefreshedPage> refreshed, QWidget* parent = nullptr);

    void OnSetActive() override;
    void OnKillActive() override;
    // Collects on the user-interface thread, whichever thread asks.
    bool CollectChanges() override;

    // The widget bound to a control (tests find controls by it, too).
    QWidget* Widget(int control) const;
    bool TimerRunning() const;

signals:
    // An entry was refused: the page has beeped and shown the restored value.
    void EntryRefused(int control);

protected:
    // Widgets bound to the form's controls; name is what the screen says
    // about the control (its label or its row and column captions).
    QLineEdit* MakeEdit(int control, const QString& name);
    CIpEdit* MakeIp(int control, const QString& name);
    QCheckBox* MakeCheck(int control, const QString& caption, const QString& name = {});
    QComboBox* MakeList(int control, const QString& name);
    QPushButton* MakeButton(int control, const QString& caption, const QString& name = {});
    QLabel* MakeValue(int control, const QString& name);
    // A label that names its control for the screen reader.
    QLabel* Caption(const QString& text, QWidget* buddy);
    QGroupBox* Group(const QString& caption);

    // Loads the form and shows every view.
    void Reload();
    // Shows every view that changed since it was last shown.
    void ApplyViews();

private:
    void Bind(int control, QWidget* widget);
    void Answer(int control, Verdict verdict);
    void Apply(int control);
    void OnTimer();

    CForm& m_form;
    IPageHost& m_host;
    std::optional<RefreshedPage> m_refreshed;
    QTimer* m_timer = nullptr;
    std::vector<QWidget*> m_widgets;
    std::vector<std::optional<ControlView>> m_shown;
};
