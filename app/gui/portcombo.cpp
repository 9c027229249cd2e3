#include "app/gui/portcombo.h"

#include <QTimer>

#include <algorithm>

namespace {
const char* const kInitialEntry = "COM порт";
const char* const kNoPortEntry = "COM порт не найден";
const char* const kChooseEntry = "Выбрать COM";
}  // namespace

CPortComboBox::CPortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    ShowSingleEntry(QString::fromUtf8(kInitialEntry));
    connect(this, &QComboBox::activated, this, &CPortComboBox::OnActivated);
}

void CPortComboBox::showPopup() {
    if (isEnabled())
        Rescan();
    m_activated = false;
    QComboBox::showPopup();
}

void CPortComboBox::hidePopup() {
    QComboBox::hidePopup();
    // The selection (if any) is reported after the popup hides; judge afterwards.
    QTimer::singleShot(0, this, &CPortComboBox::OnPopupClosed);
}

void CPortComboBox::Rescan() {
    m_portFound = false;
    m_portChosen = false;
    m_chosen.clear();
    clear();
    PortScanResult scan = m_scanner ? m_scanner() : PortScanResult{};
    std::vector<std::string> ports;
    if (!m_pinned.empty())
        ports.push_back(m_pinned);
    for (const std::string& port : scan.ports)
        if (port != m_pinned)
            ports.push_back(port);
    for (const std::string& port : ports)
        addItem(QString::fromStdString(port));
    m_portFound = !ports.empty();
    if (!m_portFound)
        ShowSingleEntry(QString::fromUtf8(kNoPortEntry));
    emit ScanHint(QString::fromStdString(scan.hint));
    emit ListRescanned();
}

void CPortComboBox::OnActivated(int index) {
    m_activated = true;
    if (!m_portFound || index < 0)
        return;
    m_chosen = itemText(index).toStdString();
    m_portChosen = true;
    emit PortChosenChanged(itemText(index));
}

void CPortComboBox::OnPopupClosed() {
    if (m_activated)
        return;
    if (!m_portFound)
        ShowSingleEntry(QString::fromUtf8(kNoPortEntry));
    else if (!m_portChosen)
        ShowSingleEntry(QString::fromUtf8(kChooseEntry));
}

void CPortComboBox::ShowSingleEntry(const QString& text) {
    clear();
    addItem(text);
    setCurrentIndex(0);
}
