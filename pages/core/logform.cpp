#include "pages/core/logform.h"

#include "model/dataserver.h"
#include "shell/pagehost.h"

namespace {
constexpr uint8_t kSourceMask = 0x7E;  // bits 1 to 6 of the log word
constexpr int kSourceShift = 1;

using C = Capability;
constexpr CLogForm::Source kSourceBoxes[CLogForm::kSources] = {
    {"SYS ", 1, C::Always}, {"GSM", 2, C::Gsm},    {"GPS", 3, C::Gnss},
    {"OW", 5, C::Always},   {"485h", 8, C::Rs485}, {"485a", 9, C::Rs485},
};

uint8_t LogWord(CDataServer& data) {
    uint8_t log = 0;
    data.Get(DI_LOG, log);
    return log;
}
}  // namespace

const CLogForm::Source& CLogForm::SourceAt(int index) { return kSourceBoxes[index]; }

CLogForm::View CLogForm::Activate() {
    DeviceTypeRecord type;
    m_data.Get(DI_DEV_TYPE, type);
    m_host.SetActivePageCode(kPageCode);
    View view;
    const int source = (LogWord(m_data) & kSourceMask) >> kSourceShift;
    for (int i = 0; i < kSources; ++i) {
        view.enabled[i] = Has(type, kSourceBoxes[i].need);
        if (kSourceBoxes[i].source == source)
            view.checked = i;
    }
    return view;
}

int CLogForm::SourceClicked(int index, bool checked) {
    const int source = checked ? kSourceBoxes[index].source : 0;
    const uint8_t log =
        static_cast<uint8_t>((LogWord(m_data) & ~kSourceMask) | ((source << kSourceShift) & kSourceMask));
    m_data.Set(DI_LOG, log);
    m_host.SendCommand(RequestType::Write, "LOG", nullptr);
    return checked ? index : kNone;
}

bool CLogForm::SendLine(const std::string& line) {
    // The worker would refuse an empty raw line.
    if (line.empty())
        return false;
    m_host.SendCommand(RequestType::Raw, line.substr(0, kSendLimit).c_str(), nullptr);
    return true;
}
