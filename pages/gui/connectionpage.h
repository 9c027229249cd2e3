// "Связь": the servers, the SIM cards' use and access points, and two WiFi
// networks. The window shows it for device types with GSM or WiFi.
#pragma once

#include "pages/core/connectionform.h"
#include "pages/gui/formpage.h"

#include <initializer_list>

class CDataServer;
class IPageHost;
class QGridLayout;

class CConnectionPage : public CFormPage {
    Q_OBJECT
public:
    CConnectionPage(CDataServer& model, IPageHost& host, QWidget* parent = nullptr);

    QWidget* Control(ConnectionControl control) const { return Widget(ControlIndex(control)); }

private:
    QWidget* ServersGroup();
    QWidget* ServerBox(const QString& caption, ConnectionControl first);
    QWidget* GsmGroup();
    QWidget* AccessPointBox(const QString& caption, ConnectionControl first);
    QWidget* WifiGroup();
    QWidget* NetworkBox(const QString& caption, ConnectionControl first);
    void AddTexts(QGridLayout* grid, const QString& box, int first, std::initializer_list<const char*> captions,
                  const char* button);

    CConnectionForm m_form;
};
