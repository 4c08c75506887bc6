#pragma once

#include "sim/text_line.h"

#include <optional>

namespace holvex::sim {

// The maker's devices that take text lines in the simulated installation.
enum class TextDevice { Display, GatewayService, Receiver };

struct TextDevicesPresent {
    bool display = false;
    bool gatewayService = true; // on the serial line only
    bool receiver = false;      // the wireless receiver, on every road
    TextDevice serialTextDevice = TextDevice::Display;
};

// Which device takes a line. A line that only one device present on its road knows goes to that device;
// a line both know ("SET DATE", "SET TIME", "GET MAIN", "GET SERV", on the serial line) goes to the serial
// line's text device; a line nobody knows (or not parsed) is left unanswered. The gateway's service port
// is only on the serial line: on the TCP adapter and inside gateway packets only the display unit listens.
// Lines with a lower-case verb ("set wmod=1", "get serv") are the wireless receiver's, on every road.
std::optional<TextDevice> routeTextLine(const TextLine& line, TextRoad road,
                                        const TextDevicesPresent& present);

} // namespace holvex::sim
