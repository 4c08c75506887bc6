#pragma once

#include "links/link.h"

namespace holvex::links {

// The links of the five roads. The real set owns the serial port and the sockets; a test set may answer every
// road with one fake link.
class LinkSet {
public:
    virtual ~LinkSet() = default;
    virtual Link& link(LinkKind kind) = 0;
    // A primary scan stops the keep-alive pings of a gateway that called in.
    virtual void stopKeepAlive() {}
};

} // namespace holvex::links
