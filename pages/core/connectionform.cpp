#include "pages/core/connectionform.h"

#include "model/dataserver.h"
#include "pages/core/presence.h"
#include "shell/pagehost.h"

#include <iterator>

namespace {

using C = ConnectionControl;
using Cap = Capability;

constexpr int kServer2 = ItemBase::Server + 2;
constexpr int kWifiNet2 = ItemBase::WifiNet + 2;

const char* const kSimModes[] = {"SIM1", "SIM2", "SIM1/SIM2", "SIM2/SIM1"};
constexpr int64_t kSimValues[] = {1, 2, 3, 4};

// The servers exist with a GSM modem or with WiFi.
constexpr Gate kServers{Cap::Gsm, 1, Cap::Wifi};

#define SERVER_ROWS(k, item)                                                                                  \
    Row{ControlIndex(C::Server##k##Ip), item, Ip(ORVENA_FIELD(ServerRecord, ip)), kServers, kServerPresence}, \
        Row{ControlIndex(C::Server##k##Port), item, Text(ORVENA_FIELD(ServerRecord, port), 5), kServers,      \
            kServerPresence},                                                                                 \
        Row{ControlIndex(C::Server##k##Login), item, Text(ORVENA_FIELD(ServerRecord, login), 15), kServers,   \
            kServerPresence},                                                                                 \
        Row {                                                                                                 \
        ControlIndex(C::Server##k##Password), item, Text(ORVENA_FIELD(ServerRecord, password), 15), kServers, \
            kServerPresence                                                                                   \
    }

#define APN_ROWS(k, item, gate)                                                                                    \
    Row{ControlIndex(C::Apn##k##Name), item, Text(ORVENA_FIELD(AccessPointRecord, apn), 20), {gate}},              \
        Row{ControlIndex(C::Apn##k##Login), item, Text(ORVENA_FIELD(AccessPointRecord, login), 24), {gate}}, Row { \
        ControlIndex(C::Apn##k##Password), item, Text(ORVENA_FIELD(AccessPointRecord, password), 15), { gate }     \
    }

#define WIFI_ROWS(k, item)                                                                                     \
    Row{ControlIndex(C::Wifi##k##Ssid),                                                                        \
        item,                                                                                                  \
        Text(ORVENA_FIELD(WifiNetworkRecord, ssid), 24),                                                       \
        {Cap::Wifi},                                                                                           \
        kWifiNetworkPresence},                                                                                 \
        Row {                                                                                                  \
        ControlIndex(C::Wifi##k##Password), item, Text(ORVENA_FIELD(WifiNetworkRecord, key), 26), {Cap::Wifi}, \
            kWifiNetworkPresence                                                                               \
    }

const Row kRows[] = {
    SERVER_ROWS(1, DI_SERVER_1),
    SERVER_ROWS(2, kServer2),
    {ControlIndex(C::SimControl),
     DI_SIM_CONTROL,
     Choice(FieldPlace{0, sizeof(int32_t), true}, kSimValues),
     {Cap::SecondSim}},
    APN_ROWS(1, DI_APN_1, Cap::Gsm),
    APN_ROWS(2, DI_APN_2, Cap::SecondSim),
    WIFI_ROWS(1, DI_WIFINET_1),
    WIFI_ROWS(2, kWifiNet2),
};
#undef SERVER_ROWS
#undef APN_ROWS
#undef WIFI_ROWS

using K = ControlKind;
constexpr ControlTraits kText(int length) { return {K::Edit, length}; }

// In the order of ConnectionControl.
const ControlTraits kTraits[] = {
    {K::Ip},   kText(5),  kText(15),   kText(15),   {K::Button},  // main server
    {K::Ip},   kText(5),  kText(15),   kText(15),   {K::Button},  // reserve server
    {K::List},                                                    // SIM control
    kText(20), kText(24), kText(15),   {K::Button},               // APN1
    kText(20), kText(24), kText(15),   {K::Button},               // APN2
    kText(24), kText(26), {K::Button},                            // main WiFi network
    kText(24), kText(26), {K::Button},                            // reserve WiFi network
};
static_assert(std::size(kTraits) == static_cast<size_t>(ConnectionControl::Count));

constexpr C kButtons[] = {C::Server1Delete, C::Server2Delete, C::Apn1Clear,
                          C::Apn2Clear,     C::Wifi1Delete,   C::Wifi2Delete};

}  // namespace

CConnectionForm::CConnectionForm(CDataServer& data, IPageHost& host)
    : CForm(data, host, kTraits), m_rows(data, kRows) {}

void CConnectionForm::Fill() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    ViewOf(ControlIndex(C::SimControl)).choices = {std::begin(kSimModes), std::end(kSimModes)};
    m_rows.Load(*this, MutableViews(), type, EditingPossible());
    ShowButtons();
}

// The buttons never show; the main server's "Delete" is enabled while its slot is in use.
void CConnectionForm::ShowButtons() {
    for (C button : kButtons) {
        ControlView& view = ViewOf(ControlIndex(button));
        view.visible = false;
        view.enabled = false;
    }
    ServerRecord server;
    ViewOf(ControlIndex(C::Server1Delete)).enabled = EditingPossible() && View(C::Server1Port).enabled &&
                                                     m_data.Get(DI_SERVER_1, server) == 1 && (server.flags & 0x01);
}

bool CConnectionForm::CollectChanges() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    return m_rows.Collect(Views(), type, m_host);
}

void CConnectionForm::OnPress(int control) {
    if (control == ControlIndex(C::Server1Delete))
        DeleteMainServer();
}

// The slot goes back to its default and shows as not in use; nothing is
// appended by the deletion itself.
void CConnectionForm::DeleteMainServer() {
    if (!EditingPossible() || !m_host.AskYesNo(kDeleteServer))
        return;
    m_data.Set(DI_SERVER_1, ServerRecord{});
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    m_rows.LoadItem(DI_SERVER_1, *this, MutableViews(), type, EditingPossible());
    ViewOf(ControlIndex(C::Server1Delete)).enabled = false;
    MarkModified();
}
