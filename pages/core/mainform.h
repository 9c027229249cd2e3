// "Главная" without its widgets: the primary server, the access point of the
// SIM in use, two SMS numbers, the control password, the track filter, the
// inputs and the RS-485 fuel level sensors.
#pragma once

#include "pages/core/form.h"
#include "pages/core/rows.h"

enum class MainControl : int {
    ServerIp,
    ServerPort,
    ServerLogin,
    ServerPassword,
    Imei,
    ApnName,
    ApnLogin,
    ApnPassword,
    Sms1,
    Sms2,
    PasswordOn,
    Password,
    PasswordChange,
    DistanceOn,
    Distance,
    AngleOn,
    Angle,
    SpeedOn,
    Speed,
    RestTime,
    MotionTime,
    In1,
    In2,
    In3,
    In4,
    Mode1,
    Mode2,
    Mode3,
    Mode4,
    IgnOn,
    IgnSource,
    Rs485Speed,
    Lls1,
    Lls2,
    Lls3,
    Lls4,
    Address1,
    Address2,
    Address3,
    Address4,
    Count,
};

class CMainForm : public CForm {
public:
    static constexpr const char* kPasswordEmpty = "Пароль не изменен.\r\nВведите пароль!";
    static constexpr const char* kPasswordSame = "Пароль не изменен.\r\nВведите новый пароль!";

    CMainForm(CDataServer& data, IPageHost& host);

    PageCode Code() const override { return PageCode::Main; }

    Verdict Edit(MainControl c, std::string_view text) { return EditText(ControlIndex(c), text); }
    Verdict Check(MainControl c, bool checked) { return EditCheck(ControlIndex(c), checked); }
    Verdict Choose(MainControl c, int index) { return EditChoice(ControlIndex(c), index); }
    void Press(MainControl c) { CForm::Press(ControlIndex(c)); }
    const ControlView& View(MainControl c) const { return CForm::View(ControlIndex(c)); }

private:
    void Fill() override;
    bool CollectChanges() override;
    Verdict OnText(int control, std::string_view text) override;
    Verdict OnCheck(int control, bool checked) override;
    void OnPress(int control) override;

    void FillChoices(const DeviceTypeRecord& type);
    void FillPassword();
    void CorrectSensorBits(const DeviceTypeRecord& type);
    Verdict RefuseWithModel(int control, int item, const Field& field);
    void ChangePassword();
    void CopyImei();

    CRowEngine m_rows;
    bool m_passwordChanged = false;
};
