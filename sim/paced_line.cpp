#include "sim/paced_line.h"

#include <algorithm>
#include <cmath>

namespace holvex::sim {

PacedLine::PacedLine(int baud) : m_byteMs(byteMsAt(std::max(1, baud))) {}

double PacedLine::place(double atMs, const QByteArray& bytes) {
    long long slot = std::max(m_firstFree, static_cast<long long>(std::ceil(std::max(0.0, atMs) / m_byteMs)));
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        const auto [it, fresh] = m_slots.try_emplace(slot, byte);
        if (!fresh) {
            it->second &= byte;
        }
        ++slot;
    }
    return static_cast<double>(slot) * m_byteMs;
}

QByteArray PacedLine::takeDue(double nowMs) {
    QByteArray out;
    while (!m_slots.empty()) {
        const auto it = m_slots.begin();
        if (static_cast<double>(it->first + 1) * m_byteMs > nowMs) {
            break;
        }
        out.append(static_cast<char>(it->second));
        m_firstFree = std::max(m_firstFree, it->first + 1);
        m_slots.erase(it);
    }
    // A slot that has begun cannot take new bytes any more.
    m_firstFree = std::max(m_firstFree, static_cast<long long>(std::ceil(nowMs / m_byteMs)));
    return out;
}

double PacedLine::nextDueMs() const {
    return m_slots.empty() ? -1.0 : static_cast<double>(m_slots.begin()->first + 1) * m_byteMs;
}

QByteArray PacedLine::takeAll() {
    QByteArray out;
    for (const auto& [slot, byte] : m_slots) {
        out.append(static_cast<char>(byte));
        m_firstFree = std::max(m_firstFree, slot + 1);
    }
    m_slots.clear();
    return out;
}

} // namespace holvex::sim
