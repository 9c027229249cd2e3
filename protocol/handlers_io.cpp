// Placeholder: these keywords are not handled yet.
#include "protocol/handlers.h"
#include "protocol/zramds.h"

void HandleMsens(CodecContext& c) { c.result = kCodecUnknown; }
void HandleTilt(CodecContext& c) { c.result = kCodecUnknown; }
void HandleTsens(CodecContext& c) { c.result = kCodecUnknown; }
void HandleIntrshd(CodecContext& c) { c.result = kCodecUnknown; }
void HandleIn(CodecContext& c) { c.result = kCodecUnknown; }
void HandleCounter(CodecContext& c) { c.result = kCodecUnknown; }
void HandleIgn(CodecContext& c) { c.result = kCodecUnknown; }
void HandleSos(CodecContext& c) { c.result = kCodecUnknown; }
void HandleOut(CodecContext& c) { c.result = kCodecUnknown; }
void HandleRs232(CodecContext& c) { c.result = kCodecUnknown; }
void HandleRs485(CodecContext& c) { c.result = kCodecUnknown; }
void HandleLls(CodecContext& c) { c.result = kCodecUnknown; }
void HandleThermoId(CodecContext& c) { c.result = kCodecUnknown; }
void HandleThermo(CodecContext& c) { c.result = kCodecUnknown; }
void HandlePrset(CodecContext& c) { c.result = kCodecUnknown; }
