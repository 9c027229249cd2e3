// "О Программе": the program's logo, title, version and date.
#pragma once

#include "pages/gui/shellpage.h"

#include <QPixmap>

class QLabel;

class CAboutPage : public CShellPage {
    Q_OBJECT
public:
    static constexpr const char* kLogoFile = "logo_100x100.png";

    explicit CAboutPage(QWidget* parent = nullptr);

    void OnSetActive() override;

    QLabel* TitleLabel() const { return m_title; }
    QLabel* VersionValue() const { return m_version; }
    QLabel* DateValue() const { return m_date; }
    QLabel* Picture() const { return m_picture; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadLogoOnce();

    QPixmap m_logo;
    bool m_logoLoaded = false;
    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_date = nullptr;
    QLabel* m_picture = nullptr;
};
