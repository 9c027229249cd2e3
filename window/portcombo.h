// The drop-down port list of the side panel. It rescans the ports each time it
// is about to drop down and remembers whether a port was found and chosen.
#pragma once

#include "shell/ports.h"

#include <QComboBox>

#include <functional>
#include <string>
#include <vector>

class CPortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CPortComboBox(QWidget* parent = nullptr);

    void SetScanner(std::function<PortScanResult()> scanner) { m_scanner = std::move(scanner); }
    // The demo device: listed first, named as such, and chosen at once.
    void SetDemoPort(const std::string& path);

    bool PortFound() const { return m_portFound; }
    bool PortChosen() const { return m_portChosen; }
    const std::string& ChosenPort() const { return m_chosen; }

    void showPopup() override;
    void hidePopup() override;

signals:
    void PortChosenChanged(const QString& path);
    void ScanHint(const QString& hint);
    void ListRescanned();

private:
    void Rescan();
    void OnActivated(int index);
    void OnPopupClosed();
    void ShowSingleEntry(const QString& text);
    void AddDemoEntry();
    void Choose(int index);

    std::function<PortScanResult()> m_scanner;
    std::string m_demo;
    std::string m_chosen;
    bool m_portFound = false;
    bool m_portChosen = false;
    bool m_activated = false;
};
