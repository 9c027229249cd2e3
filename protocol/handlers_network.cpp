// Placeholder: these keywords are not handled yet.
#include "protocol/handlers.h"
#include "protocol/zramds.h"

void HandleGnss(CodecContext& c) { c.result = kCodecUnknown; }
void HandleGsm(CodecContext& c) { c.result = kCodecUnknown; }
void HandlePhone(CodecContext& c) { c.result = kCodecUnknown; }
void HandleSms(CodecContext& c) { c.result = kCodecUnknown; }
void HandleRing(CodecContext& c) { c.result = kCodecUnknown; }
void HandleAudio(CodecContext& c) { c.result = kCodecUnknown; }
void HandleSims(CodecContext& c) { c.result = kCodecUnknown; }
void HandleSim1(CodecContext& c) { c.result = kCodecUnknown; }
void HandleSim2(CodecContext& c) { c.result = kCodecUnknown; }
void HandleApn1(CodecContext& c) { c.result = kCodecUnknown; }
void HandleApn2(CodecContext& c) { c.result = kCodecUnknown; }
void HandleWifi(CodecContext& c) { c.result = kCodecUnknown; }
void HandleWifinet(CodecContext& c) { c.result = kCodecUnknown; }
void HandleFilter(CodecContext& c) { c.result = kCodecUnknown; }
void HandleServer(CodecContext& c) { c.result = kCodecUnknown; }
