#pragma once

#include "sim/display_config.h"
#include "sim/text_line.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace holvex::sim {

// The maker's display / data-logger unit on the bus: an entry table of up to 250 meters (one per primary
// address) that it is programmed with by text lines, read-outs of its entries, tariff registers and monthly
// history, and a few settings of its own. Pure: lines in, answer bytes out; the clock is what it was given.
//
// Every line it knows is answered (unless a fault keeps it quiet): activation with "Active" (new) or
// "Already" (active before), other settings with a short acknowledgement or a short refusal ("Wrong
// address", "Entry 5: not active"); the read-outs as display_answers.h describes. A refused setting changes
// nothing.
class DisplayUnit {
public:
    explicit DisplayUnit(DisplayConfig config);

    // Whether the line's verb and key are the unit's (upper-case verbs only).
    static bool knows(const TextLine& line);

    // The answer to a line meant for the unit; nothing when a fault keeps it quiet, and then the line is not
    // carried out either.
    std::optional<QByteArray> answer(const TextLine& line);

    // The unit's current state: options, clock and entry table.
    const DisplayConfig& state() const { return m_config; }
    // The entry at an address (an inactive default one when the table never held it).
    const DisplayEntry& entry(int address) const;
    QList<int> activeAddresses() const;
    int linesSeen() const { return m_linesSeen; }
    int readingsUpdated() const { return m_readingsUpdated; }
    bool sortTableBuilt() const { return m_sortTableBuilt; }
    const TextDeviceFaults& faults() const { return m_config.faults; }
    void setFaults(const TextDeviceFaults& faults) { m_config.faults = faults; }
    // What the last line changed, for the trace; empty when nothing. Cleared by the call.
    QString takeChange();

private:
    QByteArray carryOut(const TextLine& line);
    QByteArray setEntry(const QByteArray& what, const TextLine& line);
    QByteArray activate(int address);
    QByteArray remove(int address);
    QByteArray readOut(const QByteArray& what, const TextLine& line) const;
    QByteArray setClock(const QByteArray& what, const QByteArray& argument);
    QByteArray setUnitOption(const QByteArray& what, const TextLine& line);
    QByteArray mainInfo() const;
    QByteArray serviceInfo() const;
    void buildSortTable();
    void updateReadings();

    DisplayConfig m_config;
    int m_linesSeen = 0;
    int m_readingsUpdated = 0;
    bool m_sortTableBuilt = false;
    QString m_change;
};

} // namespace holvex::sim
