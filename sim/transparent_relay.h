#pragma once

#include "sim/receiver_config.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// The receiver's transparent output over time: while it runs, one write every `paceMs` from the air list in
// turn (a meter's relayed telegram, or a text such as "Done!\n"), round and round. Each telegram of a meter
// counts its access number one up, so repeats of an encrypted meter differ. A split telegram comes in two
// writes `splitGapMs` apart (cut in the middle); its second half still comes when the output is stopped in
// between, and nothing else is written before it. Pure: the caller's clock (milliseconds) goes in.
class TransparentRelay {
public:
    TransparentRelay() = default;
    TransparentRelay(QList<RadioMeterConfig> meters, QList<AirItem> air, int paceMs, int splitGapMs);

    // The first write is due `paceMs` after `nowMs`; starting while running changes nothing.
    void start(qint64 nowMs);
    void stop();
    bool running() const { return m_running; }

    // The writes due up to nowMs, in order. `rssi`: the receiver adds each meter's RSSI byte. A clock that
    // jumps far ahead gives at most kMaxWritesAtOnce writes and goes on from nowMs.
    QList<QByteArray> take(qint64 nowMs, bool rssi);
    // When the next write is due; none when nothing will come.
    std::optional<qint64> nextDueMs() const;

    int telegramsWritten() const { return m_telegrams; }
    // The access number the meter's next telegram carries.
    std::uint8_t nextAccessNumber(int meter) const { return m_access.value(meter); }

    static constexpr int kMaxWritesAtOnce = 64;

private:
    QByteArray nextItem(qint64 dueMs, bool rssi);

    QList<RadioMeterConfig> m_meters;
    QList<AirItem> m_air;
    QList<std::uint8_t> m_access;
    int m_paceMs = 1000;
    int m_splitGapMs = 300;
    bool m_running = false;
    qsizetype m_next = 0; // the air item written next
    qint64 m_dueMs = 0;
    QByteArray m_secondHalf; // of a split telegram, due at m_secondHalfMs
    qint64 m_secondHalfMs = 0;
    int m_telegrams = 0;
};

} // namespace holvex::sim
