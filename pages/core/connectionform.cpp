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

enum class Slot : uint8_t { Server, AccessPoint, WifiNetwork };

// A button that empties one slot: the control it follows, the item it empties
// and the control whose view tells whether the slot exists on this type.
struct SlotButton {
    C button;
    int item;
    Slot slot;
    C shown;
};

const SlotButton kSlotButtons[] = {
    {C::Server1Delete, DI_SERVER_1, Slot::Server, C::Server1Port},
    {C::Server2Delete, kServer2, Slot::Server, C::Server2Port},
    {C::Apn1Clear, DI_APN_1, Slot::AccessPoint, C::Apn1Name},
    {C::Apn2Clear, DI_APN_2, Slot::AccessPoint, C::Apn2Name},
    {C::Wifi1Delete, DI_WIFINET_1, Slot::WifiNetwork, C::Wifi1Ssid},
    {C::Wifi2Delete, kWifiNet2, Slot::WifiNetwork, C::Wifi2Ssid},
};

const char* Question(Slot slot) {
    switch (slot) {
    case Slot::Server: return CConnectionForm::kDeleteServer;
    case Slot::AccessPoint: return CConnectionForm::kClearAccessPoint;
    case Slot::WifiNetwork: return CConnectionForm::kDeleteNetwork;
    }
    return "";
}

// Whether the slot holds anything a button could empty.
bool Filled(CDataServer& data, const SlotButton& b) {
    switch (b.slot) {
    case Slot::Server: {
        ServerRecord server;
        return data.Get(b.item, server) == 1 && (server.flags & 0x01);
    }
    case Slot::AccessPoint: {
        AccessPointRecord apn;
        return data.Get(b.item, apn) == 1 && (apn.apn[0] || apn.login[0] || apn.password[0]);
    }
    case Slot::WifiNetwork: {
        WifiNetworkRecord network;
        return data.Get(b.item, network) == 1 && (network.flags & 0x01);
    }
    }
    return false;
}

// Empties the slot in the record: a server is switched off (its defaults), an
// access point loses its name, login and password, a network its SSID and key
// and its received mark.
void Empty(CDataServer& data, const SlotButton& b) {
    switch (b.slot) {
    case Slot::Server: data.Set(b.item, ServerRecord{}); break;
    case Slot::AccessPoint: {
        AccessPointRecord apn;
        if (data.Get(b.item, apn) != 1)
            return;
        apn.apn[0] = apn.login[0] = apn.password[0] = '\0';
        data.Set(b.item, apn);
        break;
    }
    case Slot::WifiNetwork: {
        WifiNetworkRecord network;
        if (data.Get(b.item, network) != 1)
            return;
        network.flags = static_cast<uint8_t>(network.flags & ~0x01);
        network.ssid[0] = network.key[0] = '\0';
        data.Set(b.item, network);
        break;
    }
    }
}

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

// A button is enabled while its slot exists on the type and holds something.
void CConnectionForm::ShowButtons() {
    for (const SlotButton& b : kSlotButtons) {
        ControlView& view = ViewOf(ControlIndex(b.button));
        view.visible = true;
        view.enabled = EditingPossible() && View(b.shown).enabled && Filled(m_data, b);
    }
}

bool CConnectionForm::CollectChanges() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    return m_rows.Collect(Views(), type, m_host);
}

void CConnectionForm::OnPress(int control) {
    for (const SlotButton& b : kSlotButtons)
        if (ControlIndex(b.button) == control && ViewOf(control).enabled)
            EmptySlot(b.item, Question(b.slot));
}

// Asked first; on yes the slot is emptied in the record and its group is
// written with the next write. Edits of other slots stay.
void CConnectionForm::EmptySlot(int item, const char* question) {
    if (!EditingPossible() || !m_host.AskYesNo(question))
        return;
    for (const SlotButton& b : kSlotButtons)
        if (b.item == item)
            Empty(m_data, b);
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    m_rows.LoadItem(item, *this, MutableViews(), type, EditingPossible());
    ShowButtons();
    if (const std::optional<GroupRef> group = GroupOfItem(item))
        m_host.MarkChanged(*group);
    MarkModified();
}
