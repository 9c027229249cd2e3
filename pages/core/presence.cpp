#include "pages/core/presence.h"

#include "model/records.h"

namespace {

bool ServerInUse(const ItemBytes& item) { return item.As<ServerRecord>().flags & 0x01; }

void UseServer(ItemBytes& item) {
    ServerRecord server = item.As<ServerRecord>();
    server.flags |= 0x0F;
    server.protocol |= 0x01;
    item.Store(server);
}

bool NetworkReceived(const ItemBytes& item) { return item.As<WifiNetworkRecord>().flags & 0x01; }

void ReceiveNetwork(ItemBytes& item) {
    WifiNetworkRecord network = item.As<WifiNetworkRecord>();
    network.flags |= 0x01;
    item.Store(network);
}

}  // namespace

const Presence kServerPresence{ServerInUse, UseServer};
const Presence kWifiNetworkPresence{NetworkReceived, ReceiveNetwork};
