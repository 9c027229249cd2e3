// The connections page without its widgets: the two telematics servers, the
// use of the SIM cards, the access point of each SIM and two WiFi networks.
#pragma once

#include "pages/core/form.h"
#include "pages/core/rows.h"

enum class ConnectionControl : int {
    Server1Ip,
    Server1Port,
    Server1Login,
    Server1Password,
    Server1Delete,
    Server2Ip,
    Server2Port,
    Server2Login,
    Server2Password,
    Server2Delete,
    SimControl,
    Apn1Name,
    Apn1Login,
    Apn1Password,
    Apn1Clear,
    Apn2Name,
    Apn2Login,
    Apn2Password,
    Apn2Clear,
    Wifi1Ssid,
    Wifi1Password,
    Wifi1Delete,
    Wifi2Ssid,
    Wifi2Password,
    Wifi2Delete,
    Count,
};

class CConnectionForm : public CForm {
public:
    static constexpr const char* kDeleteServer = "Вы действительно хотите удалить этот сервер?";
    static constexpr const char* kClearAccessPoint = "Вы действительно хотите очистить эту точку доступа?";
    static constexpr const char* kDeleteNetwork = "Вы действительно хотите удалить эту сеть WiFi?";

    CConnectionForm(CDataServer& data, IPageHost& host);

    PageCode Code() const override { return PageCode::Connections; }

    Verdict Edit(ConnectionControl c, std::string_view text) { return EditText(ControlIndex(c), text); }
    Verdict Choose(ConnectionControl c, int index) { return EditChoice(ControlIndex(c), index); }
    void Press(ConnectionControl c) { CForm::Press(ControlIndex(c)); }
    const ControlView& View(ConnectionControl c) const { return CForm::View(ControlIndex(c)); }

private:
    void Fill() override;
    bool CollectChanges() override;
    void OnPress(int control) override;
    void ShowButtons();
    void EmptySlot(int item, const char* question);

    CRowEngine m_rows;
};
