#pragma once

#include <QString>

#include <optional>

namespace holvex {

struct BusContext;

// The primary address a table cell or SelectedAddress holds: a decimal number 0..255. Anything else (empty,
// text, "256" for no selection, a number beyond one byte from a loaded file) is no address, so nothing is
// sent rather than a request to a wrapped-around address.
std::optional<int> primaryAddressOf(const QString& text);

// REQ_UD2 (10 7B A CS 16, or 10 5B A CS 16 with "Use5B" ticked) as packet kind A1, with the words of a read
// in the channel's failure lines.
void sendReadRequest(BusContext& context, int address);

// SND_NKE (10 40 A CS 16) as packet kind A8.
void sendLinkReset(BusContext& context, int address);

// "Reading device " + address, logged before the scan's reads (the first one excepted).
QString readingDeviceLine(int address);

} // namespace holvex
