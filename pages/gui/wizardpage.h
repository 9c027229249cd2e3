// "Главная": the settings a service engineer changes most often.
#pragma once

#include "pages/core/mainform.h"
#include "pages/gui/formpage.h"

#include <QFont>

class CDataServer;
class IPageHost;
class QLabel;

class CWizardPage : public CFormPage {
    Q_OBJECT
public:
    CWizardPage(CDataServer& model, IPageHost& host, QWidget* parent = nullptr);

    // The font the main window uses for its status texts.
    QFont HandedFont() const;
    QWidget* Control(MainControl control) const { return Widget(ControlIndex(control)); }
    QLabel* Link() const { return m_link; }

private:
    QWidget* ServerGroup();
    QWidget* AccessPointGroup();
    QWidget* GsmGroup();
    QWidget* PasswordGroup();
    QWidget* TrackGroup();
    QWidget* InputsGroup();
    QWidget* Rs485Group();
    QLabel* MakeLink();

    CMainForm m_form;
    QLabel* m_link = nullptr;
};
