// The side panel: device, file, banner and control groups. It only shows
// states and reports clicks; the window decides what they do.
#pragma once

#include "shell/controls.h"
#include "window/portcombo.h"

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class QGroupBox;
class QVBoxLayout;

class CSidePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 150;
    static constexpr int kBannerRows = 5;

    explicit CSidePanel(QWidget* parent = nullptr);

    void Apply(const ControlStates& states);
    // Values in the order HW, FW, Boot, Quil, Date.
    void SetBanner(const std::array<QString, kBannerRows>& values);

    CPortComboBox* PortList() const { return m_portList; }
    QPushButton* ConnectButton() const { return m_connect; }
    QPushButton* WriteButton() const { return m_write; }
    QPushButton* ReadButton() const { return m_read; }
    QPushButton* OpenButton() const { return m_open; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* CreateButton() const { return m_create; }
    QPushButton* RebootButton() const { return m_reboot; }
    QPushButton* DefaultsButton() const { return m_defaults; }
    QLabel* BannerValue(int row) const { return m_bannerValues[row]; }

private:
    QGroupBox* AddGroup(QVBoxLayout* panel, const char* caption);
    QPushButton* AddButton(QGroupBox* group, const char* caption);
    void BuildBanner(QGroupBox* group);

    CPortComboBox* m_portList = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_create = nullptr;
    QPushButton* m_reboot = nullptr;
    QPushButton* m_defaults = nullptr;
    std::array<QLabel*, kBannerRows> m_bannerValues{};
};

// The strip along the bottom: the program version at the left, the IMEI at the
// right, and a one-line hint (such as a port that cannot be opened) between them.
class CStatusStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 20;
    explicit CStatusStrip(QWidget* parent = nullptr);
    void SetImeiText(const QString& text);
    void SetHint(const QString& text);
    QLabel* VersionLabel() const { return m_version; }
    QLabel* ImeiLabel() const { return m_imei; }
    QLabel* HintLabel() const { return m_hint; }

private:
    QLabel* m_version = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_imei = nullptr;
};
