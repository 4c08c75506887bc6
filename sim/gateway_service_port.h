#pragma once

#include "codec/packet_codec.h"
#include "sim/text_device_faults.h"
#include "sim/text_line.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>

#include <optional>

namespace holvex::sim {

// The Ethernet gateway (Ferrin-2) or the GPRS gateway (Galdor-5). Each refuses the other's settings.
enum class GatewayProduct { Ferrin, Galdor };

struct GatewayServiceConfig {
    GatewayProduct product = GatewayProduct::Ferrin;
    // Settings over the defaults, each as a "SET key=" line's argument would carry it ("COM2" -> "4,0",
    // "APNM" -> "\"internet\""). The network number is the gateway's own, not one of these.
    QMap<QByteArray, QByteArray> settings;
    QDateTime clock; // invalid: the installation sets the time it starts
    TextDeviceFaults faults;
};

// The gateway's RS-232 service port: the "SET key=value" settings and the "GET" information requests of
// the gateways' text command set. It keeps what it was given and reports it. Pure: lines in, answers out.
//
// Answers: "<what>: <value>" when a setting is taken ("Own IP: 192.168.1.60"), "<what>: wrong value" when
// it is refused, "<what>: not available on Galdor-5" for the other product's settings; the information
// requests answer a few lines each. Two-digit arguments must be two digits ("SET PITO=05"); the date and time
// take commas ("SET DATE=08,12,26", "SET TIME=09,30").
class GatewayServicePort {
public:
    GatewayServicePort(GatewayServiceConfig config, codec::NetworkNumber network);

    static bool knows(const TextLine& line);

    // The answer to a line meant for the port; nothing when a fault keeps it quiet (nothing is carried out).
    std::optional<QByteArray> answer(const TextLine& line);

    // Takes a setting as "SET key=argument" would, without counting a line; the refusal text when refused.
    std::optional<QString> apply(const QByteArray& key, const QByteArray& argument);

    // A stored setting ("IPV4" -> "192.168.1.50", "COM2" -> "2,0", "APNM" -> "internet"; quotes removed).
    QByteArray setting(const QByteArray& key) const { return m_settings.value(key); }
    const QMap<QByteArray, QByteArray>& settings() const { return m_settings; }
    codec::NetworkNumber network() const;
    GatewayProduct product() const { return m_product; }
    const QDateTime& clock() const { return m_clock; }
    int linesSeen() const { return m_linesSeen; }
    int testsStarted() const { return m_testsStarted; }
    const TextDeviceFaults& faults() const { return m_faults; }
    void setFaults(const TextDeviceFaults& faults) { m_faults = faults; }
    QString takeChange();

private:
    struct SetResult {
        bool taken = false;
        QByteArray answer;
    };
    SetResult set(const QByteArray& key, const QByteArray& argument);
    QByteArray information(const QByteArray& key) const;
    QByteArray productName() const;

    GatewayProduct m_product;
    QMap<QByteArray, QByteArray> m_settings;
    QDateTime m_clock;
    TextDeviceFaults m_faults;
    int m_linesSeen = 0;
    int m_testsStarted = 0;
    QString m_change;
};

} // namespace holvex::sim
