// "Журнал": the view of every line sent and received, a raw command line, and
// the switches of the device's own log output.
#pragma once

#include "pages/core/logform.h"
#include "pages/gui/shellpage.h"

#include <QString>

#include <array>

class CDataServer;
class IPageHost;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class CLogPage : public CShellPage {
    Q_OBJECT
public:
    static constexpr int kViewLimit = 10240;
    static constexpr int kCommandLimit = 511;
    static constexpr int kLineLimit = 1023;
    static constexpr int kSources = CLogForm::kSources;

    CLogPage(CDataServer& model, IPageHost& host, QWidget* parent = nullptr);

    // Appends one log line (single-byte text) at the end of the view. Ignored
    // while the page is detached from the window, and before its first display
    // (those lines go to the log file only).
    void AppendLine(const char* line);
    void SetAttached(bool attached) { m_attached = attached; }
    bool Attached() const { return m_attached; }

    void OnSetActive() override;

    QPlainTextEdit* View() const { return m_view; }
    QLineEdit* CommandField() const { return m_command; }
    QPushButton* SendButton() const { return m_send; }
    QPushButton* ClearButton() const { return m_clear; }
    QCheckBox* SourceBox(int index) const { return m_boxes[index]; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnSourceClicked(int index);
    void OnSend();
    void ShowChecked(int index);

    CLogForm m_form;
    bool m_attached = false;
    bool m_initialised = false;  // set at the first display
    QPlainTextEdit* m_view = nullptr;
    QLineEdit* m_command = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_clear = nullptr;
    std::array<QCheckBox*, kSources> m_boxes{};
};
