// Service commands: restart, defaults, memory erasure, factory state.
#include "protocol/handlers.h"
#include "protocol/zramds.h"

// The line is "$" [password ";"] keyword alone: the common write build has
// already appended ";" after the keyword, so it is taken off again. These
// keywords carry nothing to read.
void HandleServiceCommand(CodecContext& c) {
    if (!c.writeMode) {
        c.result = kCodecData;
        return;
    }
    if (c.out.LastChar() == ';')
        c.out.DropLast();
    c.result = kCodecDone;
}
