// Placeholder: these keywords are not handled yet.
#include "protocol/handlers.h"
#include "protocol/zramds.h"

void HandleServiceCommand(CodecContext& c) { c.result = kCodecUnknown; }
