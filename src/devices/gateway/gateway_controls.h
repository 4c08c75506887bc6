#pragma once

#include "devices/gateway/gateway_fields.h"

#include <QString>

#include <array>
#include <optional>

namespace holvex::gateway {

// Every control of the communication devices page that sends something: the "Set" buttons, the buttons of
// their own and the information requests.
enum class GatewayControl {
    OwnIp,          // "Set Own IPv4"
    Netmask,        // "Set Netmask"
    GatewayIp,      // "Set gateway IP"
    NetworkNumber,  // "Set Network number"
    ManufacturerIp, // "Manufacturer IP"
    ControlIp,      // "Control IP"
    OperatorIp,     // "Operator IP" with "#1" .. "#4"
    TestIp,         // "Test IP"
    Apn,            // "Set access point name (APN)"
    Phone,          // "Set phone number (0 = delete)"
    Pin,            // "Set PIN code"
    GprsUser,       // "Set GPRS user (0 = delete)"
    GprsPassword,   // "Set GPRS password (0 = delete)"
    SerialPort,     // "Serial speed" + "Serial parity"
    DueDate,        // "Set Due date (dd/hh/mm)"
    ConnectRetries, // "Set number of connect retries"
    RetryTimeout,   // "Set retry timeout (0.1 - 5s)"
    PingTimeout,    // "Set Ping server timeout (1-48)"
    MbusTimeout,    // "m-bus response time (0.3 - 2.5s)"
    Date,           // "Set Date"
    Time,           // "Set Time"
    AsServer,       // "Set as server"
    AsClient,       // "Set as client"
    MainInfo,       // "Main info"
    ServiceInfo,    // "Service info"
    Connection,     // "Connection"
    OperatorInfo,   // "OPs info"
    GprsInfo,       // "Get GPRS Info"
    GprsStatus,     // "Get GPRS status"
};
inline constexpr int kGatewayControlCount = static_cast<int>(GatewayControl::GprsStatus) + 1;

// What the page's fields hold at a press, as their texts (an up-down box: its clean text).
struct GatewayInputs {
    QString ownIp;
    QString netmask;
    QString gatewayIp;
    QString networkNumber;
    QString manufacturerIp;
    QString controlIp;
    QString operatorIp;
    std::array<bool, 4> operatorBoxes{}; // "#1" .. "#4"
    QString apn;
    QString phone;
    QString pin;
    QString gprsUser;
    QString gprsPassword;
    QString speed;
    QString parity;
    QString dueDay;
    QString dueHour;
    QString dueMinute;
    QString connectRetries;
    QString retryTimeout;
    QString pingTimeout;
    QString mbusTimeout;
};

// The product-bound control behind a page control, if it is one: the own IP, netmask, connect retries and
// retry time-out belong to the Ethernet gateway, the GPRS texts and requests to the GPRS gateway.
std::optional<ProductControl> productControlOf(GatewayControl control);

// Whether the control is enabled while the product is chosen.
bool controlEnabledFor(GatewayControl control, GatewayProduct product);

} // namespace holvex::gateway
