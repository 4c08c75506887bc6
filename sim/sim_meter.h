#pragma once

#include "sim/meter_command.h"
#include "sim/sim_meter_state.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// Misbehaviour a meter shows on demand, so that the program's retries, timeouts and messages get exercised.
struct SimFaults {
    bool silent = false;      // never answers anything
    int lateMs = 0;           // answers this much later than the bus turnaround
    bool badChecksum = false; // telegram checksum off by one
    bool badStop = false;     // telegram stop byte 0x17 instead of 0x16
    int pieces = 1;           // the answer is written in this many pieces...
    int gapMs = 0;            // ...with this pause between two pieces
    int answerAfter = 0;      // the first N frames addressed to the meter go unanswered
};

struct SimMeterConfig {
    std::optional<std::uint8_t> address; // primary address; none: reachable by secondary address only
    QString id;                          // 8 decimal digits
    QString manufacturer;                // 3 letters
    std::uint8_t version = 0;
    std::uint8_t medium = 0;
    QList<QByteArray> telegrams; // RSP_UD frames, one per REQ_UD2, in turn
    SimFaults faults;
};

// What one meter puts on the bus in answer to one frame.
struct MeterAnswer {
    QByteArray bytes;
    int delayMs = 0; // beyond the turnaround
    int pieces = 1;
    int gapMs = 0;
};

// One M-Bus slave. It sees only frames that passed the link checks and are meant for it (its primary
// address, the broadcast with reply, or 0xFD while it is selected by its secondary address). Configuration
// frames it acknowledges change its settings (address, ID, medium) or are recorded; its telegrams then show
// the changed settings.
class SimMeter {
public:
    explicit SimMeter(SimMeterConfig config);

    // The answer to a frame addressed to this meter; nothing when it stays quiet.
    std::optional<MeterAnswer> answer(const QByteArray& frame);

    // The selection frame's 8 data bytes (ID in BCD least significant byte first with 0xF wildcard digits,
    // manufacturer code least significant byte first or 0xFF 0xFF, version and medium with 0xFF wildcards):
    // whether they name this meter, with its current settings.
    bool matchesSelection(const QByteArray& selection) const;

    // SND_NKE to 255: every meter starts its telegram sequence again and leaves the selected state.
    void globalReset();

    // The current settings: address, ID and medium as the configuration frames have left them.
    const SimMeterConfig& config() const { return m_config; }
    const SimRecordedCodes& codes() const { return m_codes; }
    SimMeterState state() const;
    // What the last frame changed, for the trace; empty when nothing. Cleared by the call.
    QString takeChange();
    void setFaults(const SimFaults& faults) { m_config.faults = faults; }
    bool selected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    int framesSeen() const { return m_framesSeen; }
    int nextTelegram() const { return m_nextTelegram; }
    QString label() const;

private:
    MeterAnswer withFaults(QByteArray bytes, bool isTelegram) const;
    std::optional<MeterAnswer> answerShort(std::uint8_t c, std::uint8_t a);
    void carryOut(const MeterCommand& command);
    QByteArray currentTelegram(const QByteArray& stored) const;

    SimMeterConfig m_config;
    bool m_selected = false;
    int m_framesSeen = 0;
    int m_nextTelegram = 0;
    int m_commandsCarriedOut = 0;
    SimRecordedCodes m_codes;
    // Header fields that differ from the stored telegrams once a configuration frame has changed them.
    bool m_addressChanged = false;
    bool m_idChanged = false;
    bool m_mediumChanged = false;
    QString m_change;
};

} // namespace holvex::sim
