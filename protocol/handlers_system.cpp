// Placeholder: these keywords are not handled yet.
#include "protocol/handlers.h"
#include "protocol/zramds.h"

void HandleVer(CodecContext& c) { c.result = kCodecUnknown; }
void HandleBootVer(CodecContext& c) { c.result = kCodecUnknown; }
void HandleHwcfg(CodecContext& c) { c.result = kCodecUnknown; }
void HandleDev(CodecContext& c) { c.result = kCodecUnknown; }
void HandleMode(CodecContext& c) { c.result = kCodecUnknown; }
void HandlePass(CodecContext& c) { c.result = kCodecUnknown; }
void HandleLog(CodecContext& c) { c.result = kCodecUnknown; }
void HandleDate(CodecContext& c) { c.result = kCodecUnknown; }
void HandleRep(CodecContext& c) { c.result = kCodecUnknown; }
void HandleEkey(CodecContext& c) { c.result = kCodecUnknown; }
void HandleStatist(CodecContext& c) { c.result = kCodecUnknown; }
