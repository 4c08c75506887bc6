#pragma once

#include "sim/receiver_config.h"
#include "sim/text_line.h"
#include "sim/transparent_relay.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace holvex::sim {

// The maker's Ravik-Q wireless M-Bus receiver: it takes the lower-case lines ("set wmod=1", "get serv",
// "del entr=5"), keeps what it was given (clock, save interval, radio mode, role, work mode, the six on/off
// options, bound meters, keys, the meters it keeps under primary addresses) and, in transparent mode, relays
// the radio telegrams it hears (transparent_relay.h). Pure: lines and the caller's clock in, answers and
// writes out.
//
// Every answer is one or more lines, each ended by a line feed. A taken setting is confirmed in a few words
// ("Radio mode S1\n"); the transparent-mode switch and a new activation answer exactly "Done!\n", an
// activation already held "Entry 5 already active\n"; a refused line says why ("Wrong address\n",
// "Date: wrong value\n", "Unknown command\n") and changes nothing.
class WirelessReceiver {
public:
    explicit WirelessReceiver(ReceiverConfig config);

    // Whether the line is the receiver's: a lower-case verb "set", "get" or "del".
    static bool knows(const TextLine& line);

    // The answer to a line meant for the receiver; nothing when a fault keeps it quiet, and then the line is
    // not carried out either. `nowMs` is the caller's clock, from which the transparent output is timed.
    std::optional<QByteArray> answer(const TextLine& line, qint64 nowMs = 0);

    // Firmware "up to v3.01f" switches the transparent output with "set rtra=", later firmware with
    // "set trns=" (each answers the other key "Unknown command").
    bool upToV301f() const;
    bool transparent() const { return m_config.options.value("trns"); }
    // The transparent output due up to nowMs, in order (each one write on the serial line).
    QList<QByteArray> takeRelayed(qint64 nowMs);
    std::optional<qint64> nextRelayMs() const { return m_relay.nextDueMs(); }
    const TransparentRelay& relay() const { return m_relay; }

    // The receiver's current settings, entries, bindings and keys.
    const ReceiverConfig& state() const { return m_config; }
    bool option(const QByteArray& key) const { return m_config.options.value(key); }
    int linesSeen() const { return m_linesSeen; }
    int activationsSeen() const { return m_activationsSeen; }
    const ReceiverFaults& faults() const { return m_config.faults; }
    void setFaults(const ReceiverFaults& faults) { m_config.faults = faults; }
    // What the last line changed, for the trace; empty when nothing. Cleared by the call.
    QString takeChange();

private:
    QByteArray carryOut(const TextLine& line, qint64 nowMs);
    QByteArray set(const TextLine& line, qint64 nowMs);
    QByteArray remove(const TextLine& line);
    QByteArray information(const TextLine& line) const;
    QByteArray setClock(const QByteArray& key, const QByteArray& argument);
    QByteArray setChoice(const QByteArray& key, const QByteArray& argument);
    QByteArray setOption(const QByteArray& key, const QByteArray& argument, qint64 nowMs);
    QByteArray bind(const TextLine& line);
    QByteArray storeKey(const TextLine& line);
    QByteArray activate(const TextLine& line);
    QByteArray setUnit(const TextLine& line);
    QByteArray serviceInfo() const;
    QByteArray wirelessInfo() const;

    ReceiverConfig m_config;
    TransparentRelay m_relay;
    int m_linesSeen = 0;
    int m_activationsSeen = 0;
    QString m_change;
};

} // namespace holvex::sim
