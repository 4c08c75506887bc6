#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace holvex::gateway {

// What the communication devices page lets the operator type, and which controls each product has.

// Text fields: most characters each takes.
inline constexpr int kIpFieldLength = 15; // every IP field
inline constexpr int kPinLength = 4;
inline constexpr int kGprsUserLength = 19;
inline constexpr int kGprsPasswordLength = 19;
inline constexpr int kApnLength = 27;
inline constexpr int kPhoneLength = 20;

// An up-down box: its range and the value it starts with.
struct SpinRange {
    int minimum = 0;
    int maximum = 0;
    int initial = 0;
    bool contains(int value) const { return value >= minimum && value <= maximum; }
};

inline constexpr SpinRange kPingTimeoutRange{1, 48, 1};    // "Set Ping server timeout (1-48)"
inline constexpr SpinRange kConnectRetriesRange{1, 16, 1}; // "Set number of connect retries"
inline constexpr SpinRange kRetryTimeoutRange{1, 50, 1};   // tenths of a second
inline constexpr SpinRange kMbusTimeoutRange{3, 25, 3};    // tenths of a second
inline constexpr SpinRange kDueDayRange{1, 31, 1};
inline constexpr SpinRange kDueHourRange{0, 23, 0};
inline constexpr SpinRange kDueMinuteRange{0, 59, 0};

// The entries of the "Serial speed" and "Serial parity" boxes, in box order; a line carries an entry's
// position in its list.
const QStringList& serialSpeedChoices();
const QStringList& serialParityChoices();

// Key filters: whether a typed character may go into the field. Backspace, CR and LF count as characters.
bool ipFieldAccepts(QChar key);  // digits, ".", backspace, CR, LF
bool pinFieldAccepts(QChar key); // digits (and backspace, so that a typed PIN can be corrected)

// The product selector: "Galdor" (GPRS gateway) or "Ferrin" (Ethernet gateway).
enum class GatewayProduct { Galdor, Ferrin };

// Controls that only one of the products has; every other control of the page serves both.
enum class ProductControl {
    OwnIp,          // "Set Own IPv4"
    Netmask,        // "Set Netmask"
    ConnectRetries, // "Set number of connect retries"
    RetryTimeout,   // "Set retry timeout (0.1 - 5s)"
    Pin,            // "Set PIN code"
    GprsUser,       // "Set GPRS user (0 = delete)"
    GprsPassword,   // "Set GRPS password (0 = delete)"
    Apn,            // "Set access point name (APN)"
    Phone,          // "Set phone number (0=delete)"
    GprsInfo,       // "Get GPRS info"
    GprsStatus,     // "Get GRPS status"
};

// Whether the control is enabled while the product is chosen: the first four belong to the Ethernet gateway,
// the others to the GPRS gateway.
bool productControlEnabled(ProductControl control, GatewayProduct product);

} // namespace holvex::gateway
