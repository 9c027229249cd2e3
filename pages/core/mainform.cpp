#include "pages/core/mainform.h"

#include "base/devicetext.h"
#include "model/dataserver.h"
#include "pages/core/presence.h"
#include "pages/core/rules.h"
#include "shell/pagehost.h"

#include <cstring>

namespace {

using C = MainControl;
using Cap = Capability;

constexpr FieldPlace PrsetWord(int word) {
    return {static_cast<uint16_t>(offsetof(ProtocolSetRecord, set) + 2 * word), 2, false};
}

constexpr int kSms1 = ItemBase::Sms + 1;
constexpr int kSms2 = ItemBase::Sms + 2;
constexpr int kInput(int k) { return ItemBase::Input + k; }
constexpr int kSensor(int k) { return ItemBase::FuelSensor + k; }

constexpr int64_t kRates[] = {9600, 19200, 38400, 57600, 115200};
const char* const kRateNames[] = {"9600", "19200", "38400", "57600", "115200"};
const char* const kModeNames[] = {"Цифр.", "Аналог.", "Частот.", "Импул."};

// The second SIM's access point while it is the one in use.
int PickApn(CDataServer& data, const DeviceTypeRecord& type, int) {
    int32_t mode = 0;
    data.Get(DI_SIM_CONTROL, mode);
    return Has(type, Cap::SecondSim) && (mode == 2 || mode == 4) ? DI_APN_2 : DI_APN_1;
}

constexpr Field kLlsOn = Flag(ORVENA_FIELD(FuelSensorRecord, flags), 0x01);
constexpr Field kLlsAddress = Number(ORVENA_FIELD(FuelSensorRecord, address));
constexpr Field kAngle = Number(ORVENA_FIELD(TrackFilterRecord, angle));
constexpr Field kMode = Choice(ORVENA_FIELD(InputRecord, mode));
constexpr FieldPlace kTrackFlags = ORVENA_FIELD(TrackFilterRecord, flags);

#define SENSOR_ROWS(k)                                                                                                \
    Row{ControlIndex(C::Lls##k), kSensor(k), kLlsOn, {Cap::Rs485}},                                                   \
        Row{ControlIndex(C::Lls##k), DI_PRSET_1, Flag(PrsetWord(7), 1u << k), {Cap::Rs485}, {}, nullptr, true}, Row { \
        ControlIndex(C::Address##k), kSensor(k), kLlsAddress, { Cap::Rs485 }                                          \
    }

const Row kRows[] = {
    {ControlIndex(C::ApnName), DI_APN_1, Text(ORVENA_FIELD(AccessPointRecord, apn), 20), {Cap::Gsm}, {}, PickApn},
    {ControlIndex(C::ApnLogin), DI_APN_1, Text(ORVENA_FIELD(AccessPointRecord, login), 24), {Cap::Gsm}, {}, PickApn},
    {ControlIndex(C::ApnPassword),
     DI_APN_1,
     Text(ORVENA_FIELD(AccessPointRecord, password), 15),
     {Cap::Gsm},
     {},
     PickApn},
    {ControlIndex(C::Sms1), kSms1, WholeText(16), {Cap::Gsm}},
    {ControlIndex(C::Sms2), kSms2, WholeText(16), {Cap::Gsm}},
    {ControlIndex(C::ServerIp), DI_SERVER_1, Ip(ORVENA_FIELD(ServerRecord, ip)), {Cap::Gsm}, kServerPresence},
    {ControlIndex(C::ServerPort), DI_SERVER_1, Text(ORVENA_FIELD(ServerRecord, port), 5), {Cap::Gsm}, kServerPresence},
    {ControlIndex(C::ServerLogin),
     DI_SERVER_1,
     Text(ORVENA_FIELD(ServerRecord, login), 15),
     {Cap::Gsm},
     kServerPresence},
    {ControlIndex(C::ServerPassword),
     DI_SERVER_1,
     Text(ORVENA_FIELD(ServerRecord, password), 15),
     {Cap::Gsm},
     kServerPresence},
    {ControlIndex(C::DistanceOn), DI_TRACK_FILTER, Flag(kTrackFlags, 1u << 1)},
    {ControlIndex(C::Distance), DI_TRACK_FILTER, Number(ORVENA_FIELD(TrackFilterRecord, distance))},
    {ControlIndex(C::AngleOn), DI_TRACK_FILTER, Flag(kTrackFlags, 1u << 2)},
    {ControlIndex(C::Angle), DI_TRACK_FILTER, kAngle},
    {ControlIndex(C::SpeedOn), DI_TRACK_FILTER, Flag(kTrackFlags, 1u << 3)},
    {ControlIndex(C::Speed), DI_TRACK_FILTER, Number(ORVENA_FIELD(TrackFilterRecord, minSpeed))},
    {ControlIndex(C::RestTime), DI_TRACK_FILTER, Number(ORVENA_FIELD(TrackFilterRecord, timeRest))},
    {ControlIndex(C::MotionTime), DI_TRACK_FILTER, Number(ORVENA_FIELD(TrackFilterRecord, timeMoving))},
    {ControlIndex(C::Mode1), kInput(1), kMode, {Cap::Inputs, 1}},
    {ControlIndex(C::IgnSource), DI_IGN, Choice(ORVENA_FIELD(IgnitionRecord, source)), {Cap::Inputs, 1}},
    {ControlIndex(C::Mode2), kInput(2), kMode, {Cap::Inputs, 2}},
    {ControlIndex(C::Mode3), kInput(3), kMode, {Cap::Inputs, 3}},
    {ControlIndex(C::Mode4), kInput(4), kMode, {Cap::Inputs, 4}},
    {ControlIndex(C::In1), DI_PRSET_1, Flag(PrsetWord(5), 1u << 0), {Cap::Inputs, 1}},
    {ControlIndex(C::In2), DI_PRSET_1, Flag(PrsetWord(5), 1u << 1), {Cap::Inputs, 2}},
    {ControlIndex(C::In3), DI_PRSET_1, Flag(PrsetWord(5), 1u << 2), {Cap::Inputs, 3}},
    {ControlIndex(C::In4), DI_PRSET_1, Flag(PrsetWord(5), 1u << 3), {Cap::Inputs, 4}},
    {ControlIndex(C::IgnOn), DI_PRSET_1, Flag(PrsetWord(2), 1u << 7), {Cap::Inputs, 1}},
    {ControlIndex(C::Rs485Speed), DI_RS485, Choice(ORVENA_FIELD(SerialInterfaceRecord, r[2]), kRates), {Cap::Rs485}},
    SENSOR_ROWS(1),
    SENSOR_ROWS(2),
    SENSOR_ROWS(3),
    SENSOR_ROWS(4),
};
#undef SENSOR_ROWS

constexpr const char* kSmsHint = "Только цифры; «+» допустим лишь первым знаком";

using K = ControlKind;
// An edit as the registry describes its setting.
ControlTraits Edit(std::string_view name) { return EditFor(Described(name)); }

const FieldDesc& kAngleField = Described("filter.angle");
const FieldDesc& kAddressField = Described("lls1.address");
const ControlTraits kSms{K::Edit, Described("sms1").width, false, false, EditTrigger::OnFocusLoss, kSmsHint};

// In the order of MainControl.
const ControlTraits kTraits[] = {
    {K::Ip},                   // ServerIp
    Edit("server1.port"),      // ServerPort
    Edit("server1.login"),     // ServerLogin
    Edit("server1.password"),  // ServerPassword
    {K::Button},               // Imei
    Edit("apn1.name"),         // ApnName
    Edit("apn1.login"),        // ApnLogin
    Edit("apn1.password"),     // ApnPassword
    kSms,                      // Sms1
    kSms,                      // Sms2
    {K::Check},                // PasswordOn
    Edit("pass.password"),     // Password
    {K::Button},               // PasswordChange
    {K::Check},                // DistanceOn
    Edit("filter.distance"),   // Distance
    {K::Check},                // AngleOn
    EditFor(kAngleField),      // Angle
    {K::Check},                // SpeedOn
    Edit("filter.speed"),      // Speed
    Edit("filter.rest"),       // RestTime
    Edit("filter.motion"),     // MotionTime
    {K::Check},                // In1
    {K::Check},                // In2
    {K::Check},                // In3
    {K::Check},                // In4
    {K::List},                 // Mode1
    {K::List},                 // Mode2
    {K::List},                 // Mode3
    {K::List},                 // Mode4
    {K::Check},                // IgnOn
    {K::List},                 // IgnSource
    {K::List},                 // Rs485Speed
    {K::Check},                // Lls1
    {K::Check},                // Lls2
    {K::Check},                // Lls3
    {K::Check},                // Lls4
    EditFor(kAddressField),    // Address1
    EditFor(kAddressField),    // Address2
    EditFor(kAddressField),    // Address3
    EditFor(kAddressField),    // Address4
};
static_assert(std::size(kTraits) == static_cast<size_t>(MainControl::Count));

std::vector<std::string> Names(std::span<const char* const> names) { return {names.begin(), names.end()}; }

int SensorOf(int control) { return control - ControlIndex(C::Address1) + 1; }

}  // namespace

CMainForm::CMainForm(CDataServer& data, IPageHost& host) : CForm(data, host, kTraits), m_rows(data, kRows) {}

void CMainForm::Fill() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    FillChoices(type);
    m_rows.Load(*this, MutableViews(), type, EditingPossible());
    ViewOf(ControlIndex(C::Imei)).enabled = EditingPossible();
    CorrectSensorBits(type);
    FillPassword();
}

// The lists' entries, before the rows select among them.
void CMainForm::FillChoices(const DeviceTypeRecord& type) {
    for (C mode : {C::Mode1, C::Mode2, C::Mode3, C::Mode4})
        ViewOf(ControlIndex(mode)).choices = Names(kModeNames);
    std::vector<std::string> sources = {"NONE"};
    for (int k = 1; k <= Caps::Inputs(type); ++k)
        sources.push_back("IN" + std::to_string(k));
    ViewOf(ControlIndex(C::IgnSource)).choices = sources;
    ViewOf(ControlIndex(C::Rs485Speed)).choices = Names(kRateNames);
}

// A sensor's in-use flag and its protocol bit must agree; the load itself
// corrects the bit and has both protocol halves written. Without a device or
// a file there is nothing to write to, and the requests would wait for the
// next device.
void CMainForm::CorrectSensorBits(const DeviceTypeRecord& type) {
    if (!Has(type, Cap::Rs485) || !EditingPossible())
        return;
    ProtocolSetRecord prset;
    m_data.Get(DI_PRSET_1, prset);
    bool corrected = false;
    for (int k = 1; k <= 4; ++k) {
        FuelSensorRecord sensor;
        m_data.Get(kSensor(k), sensor);
        const bool inUse = sensor.flags & 0x01;
        uint16_t& word = prset.set[0][7];
        if (inUse != ((word >> k) & 1u)) {
            word = static_cast<uint16_t>(inUse ? word | (1u << k) : word & ~(1u << k));
            corrected = true;
        }
    }
    if (!corrected)
        return;
    m_data.Set(DI_PRSET_1, prset);
    MarkValue(m_host, DI_PRSET_1, PrsetWord(ProtocolMask::FuelSensor(1).word).offset);
}

void CMainForm::FillPassword() {
    PasswordRecord password;
    m_data.Get(DI_PASSWORD, password);
    const bool on = password.flags & PasswordFlag::kInForce;
    ControlView& edit = ViewOf(ControlIndex(C::Password));
    edit.text = DeviceToUtf8(password.current);
    edit.masked = false;
    edit.enabled = on && EditingPossible();
    ControlView& box = ViewOf(ControlIndex(C::PasswordOn));
    box.checked = on;
    box.enabled = EditingPossible();
    ViewOf(ControlIndex(C::PasswordChange)).enabled = EditingPossible();
}

bool CMainForm::CollectChanges() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    bool changed = m_rows.Collect(Views(), type, m_host);
    if (m_passwordChanged) {
        m_host.MarkChanged({&Group::kPass});
        m_passwordChanged = false;
        changed = true;
    }
    return changed;
}

// The edit gets back the model's value of its field.
Verdict CMainForm::RefuseWithModel(int control, int item, const Field& field) {
    ShowModelNumber(ViewOf(control), m_data, item, field);
    return Verdict::Refuse;
}

Verdict CMainForm::OnText(int control, std::string_view text) {
    switch (static_cast<C>(control)) {
    case C::Angle:
        if (!NumberWithin(text, FieldRange(kAngleField).first, FieldRange(kAngleField).second))
            return RefuseWithModel(control, DI_TRACK_FILTER, kAngle);
        break;
    case C::Address1:
    case C::Address2:
    case C::Address3:
    case C::Address4:
        if (!NumberWithin(text, FieldRange(kAddressField).first, FieldRange(kAddressField).second))
            return RefuseWithModel(control, kSensor(SensorOf(control)), kLlsAddress);
        break;
    case C::Sms1:
    case C::Sms2:
        if (!SmsNumberAccepted(text)) {
            char number[16] = {};
            m_data.Get(control == ControlIndex(C::Sms1) ? kSms1 : kSms2, number, sizeof number);
            ViewOf(control).text = DeviceToUtf8(number);
            return Verdict::Refuse;
        }
        break;
    case C::Password:
        // Typing a password is no edit of its own: "Изменить" decides.
        ViewOf(control).text = text;
        return Verdict::Accept;
    default: break;
    }
    return CForm::OnText(control, text);
}

Verdict CMainForm::OnCheck(int control, bool checked) {
    if (control != ControlIndex(C::PasswordOn))
        return CForm::OnCheck(control, checked);
    ViewOf(control).checked = checked;
    if (EditingPossible()) {
        ControlView& edit = ViewOf(ControlIndex(C::Password));
        edit.enabled = checked;
        edit.masked = !checked;
    }
    return Verdict::Accept;
}

void CMainForm::OnPress(int control) {
    if (control == ControlIndex(C::PasswordChange))
        ChangePassword();
    else if (control == ControlIndex(C::Imei))
        CopyImei();
}

void CMainForm::ChangePassword() {
    PasswordRecord password;
    m_data.Get(DI_PASSWORD, password);
    const bool wanted = View(C::PasswordOn).checked;
    const bool inForce = password.flags & PasswordFlag::kInForce;
    password.flags =
        static_cast<uint8_t>(wanted ? password.flags | PasswordFlag::kWanted : password.flags & ~PasswordFlag::kWanted);
    const std::string text = Utf8ToDevice(View(C::Password).text).value_or(std::string());
    const std::string current(password.current, strnlen(password.current, sizeof password.current));
    if (inForce && wanted && (text.empty() || text == current)) {
        m_host.ShowError(text.empty() ? kPasswordEmpty : kPasswordSame);
        FillPassword();
        return;
    }
    CopyDeviceText(password.next, text, sizeof password.next - 1);
    m_data.Set(DI_PASSWORD, password);
    m_passwordChanged = true;
    MarkModified();
}

void CMainForm::CopyImei() {
    char imei[16] = {};
    m_data.Get(DI_IMEI, imei, sizeof imei);
    ViewOf(ControlIndex(C::ServerLogin)).text = DeviceToUtf8(imei);
    MarkModified();
}
