#pragma once
// The tracker's protocol brain: takes one command line, changes its state and
// returns the reply payload. No I/O and no locking; the owner serialises calls.

#include "model/modeltable.h"
#include "sim/groups.h"
#include "sim/wire.h"

#include <array>
#include <chrono>
#include <string>
#include <string_view>

class CDevice {
public:
    struct Answer {
        std::string keyword;  // reply keyword; empty: nothing to answer
        std::string payload;
    };

    CDevice(int type, std::string password, bool protection);

    // One command line without "$" and CR LF.
    Answer Handle(std::string_view line);

    std::string Setting(const std::string& keyword) const;
    void SetImei(std::string imei) { m_imei = std::move(imei); }
    const std::string& Password() const { return m_password; }
    bool Protection() const { return m_protection; }

private:
    using Reader = std::string (CDevice::*)(const KeywordRef&, const SimCommand&) const;
    struct ReaderEntry {
        std::string_view stem;
        Reader read;
    };
    static const ReaderEntry kReaders[];
    std::string m_imei = "356938035643809";

    std::string Execute(const KeywordRef& ref, const GroupDef& entry, const SimCommand& cmd);
    std::string Action(const KeywordRef& ref, const SimCommand& cmd);
    std::string Write(const KeywordRef& ref, const GroupDef& entry, const SimCommand& cmd);
    std::string WritePassword(const SimCommand& cmd);
    std::string WriteType(const SimCommand& cmd);
    std::string Read(const KeywordRef& ref, const SimCommand& cmd) const;
    bool PasswordAccepted(const SimCommand& cmd) const;
    void RestoreDefaults();

    double Seconds() const;
    struct tm DeviceClock() const;
    std::vector<std::string> Stored(const std::string& stem, int index = -1) const;

    // Readers: one per keyword family, building the reply layout.
    std::string ReadSame(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadVer(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadBootVer(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadHwcfg(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadMode(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadPass(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadDate(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadRep(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadEkey(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadStatist(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadGnss(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadGsm(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadSims(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadSim(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadNumber(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadPair(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadWifi(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadWifinet(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadServer(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadInputs(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadCounter(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadOutputs(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadLls(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadThermoId(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadThermo(const KeywordRef& ref, const SimCommand& cmd) const;
    std::string ReadSensor(const KeywordRef& ref, const SimCommand& cmd) const;

    int m_type;
    DeviceTypeRecord m_caps;
    std::string m_password;
    bool m_protection;
    CSettingsStore m_settings;
    std::chrono::steady_clock::time_point m_powerOn;
    long m_clockOffset = 0;  // seconds between the device clock and the host's
    double m_statBase = 0;   // statistics count from here
    std::array<double, 8> m_counterBase{};
};
