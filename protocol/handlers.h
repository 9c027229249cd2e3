// Keyword handlers, one group per file. Each follows the handler contract:
// building appends fields and sets 1 (or 4/5/6 without appending); parsing
// takes non-empty fields into the record and sets 0/1 (6 when nothing usable).
#pragma once

#include "protocol/codec_context.h"

// Identity and system keywords.
void HandleVer(CodecContext& c);
void HandleBootVer(CodecContext& c);
void HandleHwcfg(CodecContext& c);
void HandleDev(CodecContext& c);
void HandleMode(CodecContext& c);
void HandlePass(CodecContext& c);
void HandleLog(CodecContext& c);
void HandleDate(CodecContext& c);
void HandleRep(CodecContext& c);
void HandleEkey(CodecContext& c);
void HandleStatist(CodecContext& c);

// Network keywords.
void HandleGnss(CodecContext& c);
void HandleGsm(CodecContext& c);
void HandlePhone(CodecContext& c);
void HandleSms(CodecContext& c);
void HandleRing(CodecContext& c);
void HandleAudio(CodecContext& c);
void HandleSims(CodecContext& c);
void HandleSim1(CodecContext& c);
void HandleSim2(CodecContext& c);
void HandleApn1(CodecContext& c);
void HandleApn2(CodecContext& c);
void HandleWifi(CodecContext& c);
void HandleWifinet(CodecContext& c);
void HandleFilter(CodecContext& c);
void HandleServer(CodecContext& c);

// Inputs, outputs and sensors.
void HandleMsens(CodecContext& c);
void HandleTilt(CodecContext& c);
void HandleTsens(CodecContext& c);
void HandleIntrshd(CodecContext& c);
void HandleIn(CodecContext& c);
void HandleCounter(CodecContext& c);
void HandleIgn(CodecContext& c);
void HandleSos(CodecContext& c);
void HandleOut(CodecContext& c);
void HandleRs232(CodecContext& c);
void HandleRs485(CodecContext& c);
void HandleLls(CodecContext& c);
void HandleThermoId(CodecContext& c);
void HandleThermo(CodecContext& c);
void HandlePrset(CodecContext& c);

// Service commands (restart, defaults, erasure, factory state).
void HandleServiceCommand(CodecContext& c);

// The cell of REP and GSM: MCC, MNC, LAC and CID in fields first..first + 3,
// taken only as a complete set; any "NA" zeroes all four. Returns whether the
// cell item was stored.
bool TakeCell(const CodecContext& c, int first);
