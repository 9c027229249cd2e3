#include "window/portcombo.h"

#include <QAbstractItemView>
#include <QTimer>

#include <algorithm>

namespace {
const char* const kInitialEntry = "COM порт";
const char* const kNoPortEntry = "COM порт не найден";
const char* const kChooseEntry = "Выбрать COM";
const char* const kDemoSuffix = " (демо-устройство)";
}  // namespace

CPortComboBox::CPortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    ShowSingleEntry(QString::fromUtf8(kInitialEntry));
    connect(this, &QComboBox::activated, this, &CPortComboBox::OnActivated);
    // The panel is narrow: the whole entry shows in its tooltip and in the open list.
    connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    view()->setMinimumWidth(360);
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
    const PortScanResult scan = m_scanner ? m_scanner() : PortScanResult{};
    if (!m_demo.empty())
        AddDemoEntry();
    for (const PortEntry& port : scan.ports)
        if (port.path != m_demo && port.device != m_demo)
            addItem(QString::fromStdString(PortEntryText(port)), QString::fromStdString(port.path));
    m_portFound = count() > 0;
    if (!m_portFound)
        ShowSingleEntry(QString::fromUtf8(kNoPortEntry));
    emit ScanHint(QString::fromStdString(scan.hint));
    emit ListRescanned();
}

void CPortComboBox::OnActivated(int index) {
    m_activated = true;
    if (!m_portFound || index < 0)
        return;
    Choose(index);
}

void CPortComboBox::OnPopupClosed() {
    if (m_activated)
        return;
    if (!m_portFound)
        ShowSingleEntry(QString::fromUtf8(kNoPortEntry));
    else if (!m_portChosen)
        ShowSingleEntry(QString::fromUtf8(kChooseEntry));
}

void CPortComboBox::SetDemoPort(const std::string& path) {
    m_demo = path;
    if (path.empty())
        return;
    clear();
    AddDemoEntry();
    m_portFound = true;
    setCurrentIndex(0);
    Choose(0);
}

void CPortComboBox::AddDemoEntry() {
    addItem(QString::fromStdString(m_demo) + QString::fromUtf8(kDemoSuffix), QString::fromStdString(m_demo));
}

// An entry shows the port as a person recognises it; its data is the path that is opened.
void CPortComboBox::Choose(int index) {
    const QString path = itemData(index).toString();
    m_chosen = path.toStdString();
    m_portChosen = true;
    emit PortChosenChanged(path);
}

void CPortComboBox::ShowSingleEntry(const QString& text) {
    clear();
    addItem(text);
    setCurrentIndex(0);
}
