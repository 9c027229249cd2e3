// Record slots that may hold nothing yet, as the pages' rows see them.
#pragma once

#include "pages/core/rows.h"

// A server slot is in use with flags bit 0; the first change switches flags
// bits 0 to 3 and bit 0 of the protocol byte on.
extern const Presence kServerPresence;
// A WiFi network was received with flags bit 0; the first change sets it.
extern const Presence kWifiNetworkPresence;
