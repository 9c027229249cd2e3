// "Настройки": the inputs and their thresholds, the output, the sensors, the
// field mask of the data protocol and the service buttons.
#pragma once

#include "pages/core/settingsform.h"
#include "pages/gui/formpage.h"

class CDataServer;
class IPageHost;
class QGridLayout;

class CSettingsPage : public CFormPage {
    Q_OBJECT
public:
    CSettingsPage(CDataServer& model, IPageHost& host, QWidget* parent = nullptr);

    QWidget* Control(SettingsControl control) const { return Widget(ControlIndex(control)); }

private:
    QWidget* InputsGroup();
    void AddInputRow(QGridLayout* grid, int input);
    void AddSignalRow(QGridLayout* grid, const QString& caption, SettingsControl source);
    QWidget* OutputsGroup();
    QWidget* AccelerometerGroup();
    QWidget* InternalThermometerGroup();
    QWidget* ThermometersGroup();
    QWidget* ProtocolGroup();
    QWidget* ResetsGroup();

    CSettingsForm m_form;
};
