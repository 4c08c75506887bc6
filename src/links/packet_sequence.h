#pragma once

#include "bus/run_state.h"

#include <cstdint>

namespace holvex::links {

// After each packet sent: the counter wraps like the 32-bit signed number it is, without undefined overflow.
inline void advancePacketSequence(RunState& state) {
    state.PacketSequence = static_cast<std::int32_t>(static_cast<std::uint32_t>(state.PacketSequence) + 1U);
}

} // namespace holvex::links
