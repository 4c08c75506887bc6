#pragma once

#include "sim/display_unit.h"
#include "sim/gateway_service_port.h"
#include "sim/installation_config.h"
#include "sim/sim_meter.h"
#include "sim/text_line.h"
#include "sim/wireless_receiver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace holvex::sim {

// Bytes the bus puts on the line at a time after the request has arrived.
struct TimedChunk {
    int atMs = 0;
    QByteArray bytes;
    int voice = 0; // who talks: on a paced line a talker's chunks follow each other, other talkers overlap
};

// The bus's whole answer to one frame: nothing, one meter's answer (maybe in pieces), or a collision.
struct SimResponse {
    QList<TimedChunk> chunks;
    int answering = 0; // meters that answered; more than one is a collision
    bool text = false; // a device's text answer, not M-Bus bytes

    QByteArray bytes() const;
    int lastMs() const;
    bool isEmpty() const { return chunks.isEmpty(); }
};

class PacedLine;

// Puts the answer on a paced line, its chunks at fromMs + their delays (a talker's next chunk never before
// its last one ended); returns when the last byte ends (fromMs when there is nothing).
double placeResponse(PacedLine& line, double fromMs, const SimResponse& response);

// The meters of one M-Bus segment, with the maker's display unit and wireless receiver on the same bus and
// the gateway's service port on the serial line. Every endpoint hands it the frames and text lines it
// receives; it decides who answers and what they put on the line. The receiver's transparent output comes
// by itself, on the serial line only (serialOutput). It lives on one thread (the endpoints' thread).
class SimInstallation : public QObject {
    Q_OBJECT

public:
    explicit SimInstallation(InstallationConfig config, QObject* parent = nullptr);

    // Loaded from JSON text; nullptr with the reason when the text is not a valid installation.
    static std::unique_ptr<SimInstallation> fromJson(const QByteArray& json, QString* error);

    // One received frame: recorded, checked, answered.
    SimResponse handleFrame(const QByteArray& frame);
    // One received text line (a whole line, no terminator): recorded, routed to the display unit, the
    // gateway's service port or the wireless receiver (text_routing.h), answered.
    SimResponse handleLine(const QByteArray& line, TextRoad road);
    // A gateway packet's payload: a text line when it starts like one, else a frame.
    SimResponse handlePayload(const QByteArray& payload, TextRoad road);

    const InstallationConfig& config() const { return m_config; }
    void setTurnaroundMs(int ms) { m_config.turnaroundMs = ms; }
    // 0: answers at once; else the line's speed (see InstallationConfig::lineBaud).
    void setLineBaud(int baud) { m_config.lineBaud = baud; }
    // How long after the request's last byte the meter starts its answer: the turnaround and its lateness.
    int answerDelayMs(const SimMeter& meter) const;
    // The gateway's service port reports the new network number too.
    void setGatewayOptions(const GatewayOptions& options);

    int meterCount() const { return static_cast<int>(m_meters.size()); }
    SimMeter& meterAt(int index) { return m_meters.at(static_cast<std::size_t>(index)); }
    // The first meter at a primary address (as it is now), or nullptr.
    SimMeter* meterByAddress(int address);
    // The first meter with an ID (8 characters, as configured or set since), or nullptr.
    SimMeter* meterById(const QString& id);
    // Every meter's current settings and recorded codes, in the order of the installation file.
    QList<SimMeterState> meterStates() const;

    // The display unit, or nullptr when the installation has none.
    DisplayUnit* display() { return m_display ? &*m_display : nullptr; }
    GatewayServicePort& gatewayService() { return m_service; }
    // The wireless receiver, or nullptr when the installation has none.
    WirelessReceiver* receiver() { return m_receiver ? &*m_receiver : nullptr; }
    // Milliseconds since the installation started: the clock the receiver's transparent output runs on.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // For endpoints: a line for the trace.
    void trace(const QString& line);

signals:
    void frameReceived(const QByteArray& frame);
    void lineReceived(const QByteArray& line);
    void traced(const QString& line);
    // Bytes the receiver writes by itself in transparent mode; every serial-line endpoint writes them as one
    // write. Never on the TCP adapter or through a gateway.
    void serialOutput(const QByteArray& bytes);

private:
    QList<MeterAnswer> dispatch(const QByteArray& frame);
    SimResponse combine(const QList<MeterAnswer>& answers) const;
    void relayDue();
    void armRelay();

    InstallationConfig m_config;
    std::vector<SimMeter> m_meters;
    std::optional<DisplayUnit> m_display;
    GatewayServicePort m_service;
    std::optional<WirelessReceiver> m_receiver;
    QElapsedTimer m_clock;
    QTimer m_relayTimer;
};

} // namespace holvex::sim
