#pragma once

#include "sim/installation_config.h"
#include "sim/sim_meter.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace holvex::sim {

// Bytes the bus puts on the line at a time after the request has arrived.
struct TimedChunk {
    int atMs = 0;
    QByteArray bytes;
};

// The bus's whole answer to one frame: nothing, one meter's answer (maybe in pieces), or a collision.
struct SimResponse {
    QList<TimedChunk> chunks;
    int answering = 0; // meters that answered; more than one is a collision

    QByteArray bytes() const;
    int lastMs() const;
    bool isEmpty() const { return chunks.isEmpty(); }
};

// The meters of one M-Bus segment. Every endpoint hands it the frames it receives; it decides which meters
// answer and what they put on the line. It lives on one thread (the endpoints' thread).
class SimInstallation : public QObject {
    Q_OBJECT

public:
    explicit SimInstallation(InstallationConfig config, QObject* parent = nullptr);

    // Loaded from JSON text; nullptr with the reason when the text is not a valid installation.
    static std::unique_ptr<SimInstallation> fromJson(const QByteArray& json, QString* error);

    // One received frame (or gateway payload): recorded, checked, answered.
    SimResponse handleFrame(const QByteArray& frame);

    const InstallationConfig& config() const { return m_config; }
    void setTurnaroundMs(int ms) { m_config.turnaroundMs = ms; }
    void setGatewayOptions(const GatewayOptions& options) { m_config.gateway = options; }

    int meterCount() const { return static_cast<int>(m_meters.size()); }
    SimMeter& meterAt(int index) { return m_meters.at(static_cast<std::size_t>(index)); }
    // The first meter at a primary address (as it is now), or nullptr.
    SimMeter* meterByAddress(int address);
    // The first meter with an ID (8 characters, as configured or set since), or nullptr.
    SimMeter* meterById(const QString& id);
    // Every meter's current settings and recorded codes, in the order of the installation file.
    QList<SimMeterState> meterStates() const;

    // For endpoints: a line for the trace.
    void trace(const QString& line);

signals:
    void frameReceived(const QByteArray& frame);
    void traced(const QString& line);

private:
    QList<MeterAnswer> dispatch(const QByteArray& frame);
    SimResponse combine(const QList<MeterAnswer>& answers) const;

    InstallationConfig m_config;
    std::vector<SimMeter> m_meters;
};

} // namespace holvex::sim
