#include "sim/transparent_relay.h"

#include "sim/radio_telegram.h"

#include <utility>

namespace holvex::sim {

TransparentRelay::TransparentRelay(QList<RadioMeterConfig> meters, QList<AirItem> air, int paceMs,
                                   int splitGapMs)
    : m_meters(std::move(meters)), m_air(std::move(air)), m_paceMs(std::max(1, paceMs)),
      m_splitGapMs(std::max(0, splitGapMs)) {
    if (m_air.isEmpty()) {
        for (qsizetype i = 0; i < m_meters.size(); ++i) {
            m_air.append(AirItem{.meter = static_cast<int>(i), .text = {}});
        }
    }
    for (const RadioMeterConfig& meter : m_meters) {
        m_access.append(meter.accessNumber);
    }
}

void TransparentRelay::start(qint64 nowMs) {
    if (m_running) {
        return;
    }
    m_running = true;
    m_dueMs = nowMs + m_paceMs;
}

void TransparentRelay::stop() {
    m_running = false;
}

std::optional<qint64> TransparentRelay::nextDueMs() const {
    if (!m_secondHalf.isEmpty()) {
        // Nothing else goes out before the telegram is finished.
        return m_secondHalfMs;
    }
    if (m_running && !m_air.isEmpty()) {
        return m_dueMs;
    }
    return std::nullopt;
}

QList<QByteArray> TransparentRelay::take(qint64 nowMs, bool rssi) {
    QList<QByteArray> writes;
    for (int i = 0; i < kMaxWritesAtOnce; ++i) {
        const std::optional<qint64> due = nextDueMs();
        if (!due || *due > nowMs) {
            return writes;
        }
        if (!m_secondHalf.isEmpty()) {
            writes.append(std::exchange(m_secondHalf, {}));
            continue;
        }
        const qint64 at = m_dueMs;
        m_dueMs += m_paceMs;
        if (QByteArray bytes = nextItem(at, rssi); !bytes.isEmpty()) {
            writes.append(std::move(bytes));
        }
    }
    // Far behind: go on from now rather than pour out everything missed.
    if (m_running && m_dueMs <= nowMs) {
        m_dueMs = nowMs + m_paceMs;
    }
    if (!m_secondHalf.isEmpty() && m_secondHalfMs <= nowMs) {
        m_secondHalfMs = nowMs;
    }
    return writes;
}

QByteArray TransparentRelay::nextItem(qint64 dueMs, bool rssi) {
    const AirItem item = m_air.at(m_next);
    m_next = (m_next + 1) % m_air.size();
    if (item.meter < 0 || item.meter >= m_meters.size()) {
        return item.text;
    }
    const RadioMeterConfig& meter = m_meters.at(item.meter);
    std::uint8_t& access = m_access[item.meter];
    const auto telegram = relayedTelegram(meter, access, rssi, nullptr);
    access = static_cast<std::uint8_t>(access + 1);
    if (!telegram) {
        return {}; // the loader built every meter's telegram once: this does not happen
    }
    ++m_telegrams;
    if (!meter.split || telegram->size() < 2) {
        return *telegram;
    }
    const qsizetype half = telegram->size() / 2;
    m_secondHalf = telegram->mid(half);
    m_secondHalfMs = dueMs + m_splitGapMs;
    return telegram->left(half);
}

} // namespace holvex::sim
