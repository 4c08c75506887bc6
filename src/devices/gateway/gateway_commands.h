#pragma once

#include "devices/gateway/gateway_controls.h"
#include "devices/gateway/gateway_settings.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <functional>

namespace holvex {
struct BusContext;
class FreeCommandConsole;
} // namespace holvex

namespace holvex::gateway {

// How a press of a gateway control ended.
enum class GatewayOutcome {
    Sent,        // the line went out on the serial port
    NothingSent, // the press does nothing: an empty field, no box ticked, a value outside its box's range
    Refused,     // the value's check refused it; its line is in the log
    RoadRefused, // the road of the settings takes no gateway settings: "Setting of Ferrin-2 or Galdor-5 is
                 // only RS-232!"
    PortClosed,  // the serial port could not be opened (its own failure is in the log); nothing was sent
};

// The gateway settings and information requests of the communication devices page, sent on the gateway's
// RS-232 service port. Each call takes what its control holds, builds the line, logs a refusal, lets the
// channel apply the RS-232 rule of the road (opening the serial port, logging the log text, writing the line)
// and, when the line went out and the command shows its answer, starts Timer_free_command, whose tick logs
// the gateway's answer and closes the channel. The APN and phone-number lines leave the timer alone.
//
// A call returns once the line is written: nothing here holds the bus after it.
class GatewayCommands {
public:
    GatewayCommands(BusContext& context, FreeCommandConsole& console);

    // The PC's clock for "Set Date" and "Set Time"; tests fix it.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    GatewayOutcome setIp(IpSetting setting, const QString& fieldText);
    // One line per ticked box, each with the one field's text (the page's boxes let one be ticked at a time).
    // The outcome is the first that is not Sent, else Sent; no box ticked: NothingSent.
    GatewayOutcome setOperatorIp(const QString& fieldText, const std::array<bool, 4>& ticked);
    GatewayOutcome testIp();
    GatewayOutcome setSerialPort(const QString& speed, const QString& parity);
    GatewayOutcome setPingTimeout(const QString& value);
    GatewayOutcome setRetryTimeout(const QString& value);
    GatewayOutcome setConnectRetries(const QString& value);
    GatewayOutcome setMbusTimeout(const QString& value);
    GatewayOutcome setDueDate(const QString& day, const QString& hour, const QString& minute);
    GatewayOutcome setDate();
    GatewayOutcome setTime();
    GatewayOutcome setApn(const QString& apn);
    GatewayOutcome setPhone(const QString& phone);
    GatewayOutcome setPin(const QString& pin);
    GatewayOutcome setGprsUser(const QString& user);
    GatewayOutcome setGprsPassword(const QString& password);
    GatewayOutcome setServerMode(bool asServer);
    GatewayOutcome request(GatewayRequest request);

    // A control's press with the page's inputs: the matching call above.
    GatewayOutcome run(GatewayControl control, const GatewayInputs& inputs);

    // One built line through the steps above.
    GatewayOutcome send(const GatewaySetting& setting);

private:
    BusContext& m_context;
    FreeCommandConsole& m_console;
    std::function<QDateTime()> m_clock;
};

} // namespace holvex::gateway
