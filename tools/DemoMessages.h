#pragma once
// Demo SMS threads and a demo call log for a living phone: conversations with the
// given contacts (received and sent, read and unread), messages from numbers that are
// no contact and from letters-only senders (operators, services), and missed,
// incoming, outgoing and roaming calls. The same contacts, count, seed and time give
// the same data.

#include "tools/DemoContacts.h"

#include <cstdint>
#include <vector>

namespace vantrel::tools {

// Adds `messageCount` messages spread over the 30 days before `now` (a file time) and
// a call log of about a third as many calls (at least a dozen). False when a store
// cannot be written.
bool seedDemoMessages(const std::vector<DemoContact>& contacts, int messageCount, uint32_t seed,
                      uint64_t now);

} // namespace vantrel::tools
