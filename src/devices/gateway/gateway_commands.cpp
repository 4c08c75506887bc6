#include "devices/gateway/gateway_commands.h"

#include "bus/bus_context.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/free_command_console.h"

namespace holvex::gateway {

namespace {

links::GatewayLineScope lineScope(Rs232Rule rule) {
    return rule == Rs232Rule::NetworkOrInformation ? links::GatewayLineScope::NetworkSetting
                                                   : links::GatewayLineScope::OtherSetting;
}

} // namespace

GatewayCommands::GatewayCommands(BusContext& context, FreeCommandConsole& console)
    : m_context(context), m_console(console), m_clock(&QDateTime::currentDateTime) {}

GatewayOutcome GatewayCommands::send(const GatewaySetting& setting) {
    if (!setting.sends()) {
        if (setting.refusal.isEmpty()) {
            return GatewayOutcome::NothingSent;
        }
        m_context.log.logLine(setting.refusal);
        return GatewayOutcome::Refused;
    }
    links::Channel& channel = m_context.channel;
    const links::GatewayLineScope scope = lineScope(setting.rule);
    const bool roadRefuses = links::gatewayLineRefused(scope, channel.kind());
    if (!channel.sendGatewayLine(setting.line, scope, setting.logText)) {
        return roadRefuses ? GatewayOutcome::RoadRefused : GatewayOutcome::PortClosed;
    }
    if (setting.startsAnswerTimer) {
        m_console.startAnswerTimer();
    }
    return GatewayOutcome::Sent;
}

GatewayOutcome GatewayCommands::setIp(IpSetting setting, const QString& fieldText) {
    return send(ipSetting(setting, fieldText));
}

GatewayOutcome GatewayCommands::setOperatorIp(const QString& fieldText, const std::array<bool, 4>& ticked) {
    const QList<GatewaySetting> lines = operatorIpSettings(fieldText, ticked);
    if (lines.isEmpty()) {
        return GatewayOutcome::NothingSent;
    }
    GatewayOutcome outcome = GatewayOutcome::Sent;
    for (const GatewaySetting& line : lines) {
        const GatewayOutcome sent = send(line);
        if (outcome == GatewayOutcome::Sent) {
            outcome = sent;
        }
    }
    return outcome;
}

GatewayOutcome GatewayCommands::testIp() {
    return send(testIpSetting());
}

GatewayOutcome GatewayCommands::setSerialPort(const QString& speed, const QString& parity) {
    return send(serialPortSetting(speed, parity));
}

GatewayOutcome GatewayCommands::setPingTimeout(const QString& value) {
    return send(pingTimeoutSetting(value));
}

GatewayOutcome GatewayCommands::setRetryTimeout(const QString& value) {
    return send(retryTimeoutSetting(value));
}

GatewayOutcome GatewayCommands::setConnectRetries(const QString& value) {
    return send(connectRetriesSetting(value));
}

GatewayOutcome GatewayCommands::setMbusTimeout(const QString& value) {
    return send(mbusTimeoutSetting(value));
}

GatewayOutcome GatewayCommands::setDueDate(const QString& day, const QString& hour, const QString& minute) {
    return send(dueDateSetting(day, hour, minute));
}

GatewayOutcome GatewayCommands::setDate() {
    return send(dateSetting(m_clock().date()));
}

GatewayOutcome GatewayCommands::setTime() {
    return send(timeSetting(m_clock().time()));
}

GatewayOutcome GatewayCommands::setApn(const QString& apn) {
    return send(apnSetting(apn));
}

GatewayOutcome GatewayCommands::setPhone(const QString& phone) {
    return send(phoneSetting(phone));
}

GatewayOutcome GatewayCommands::setPin(const QString& pin) {
    return send(pinSetting(pin));
}

GatewayOutcome GatewayCommands::setGprsUser(const QString& user) {
    return send(gprsUserSetting(user));
}

GatewayOutcome GatewayCommands::setGprsPassword(const QString& password) {
    return send(gprsPasswordSetting(password));
}

GatewayOutcome GatewayCommands::setServerMode(bool asServer) {
    return send(serverModeSetting(asServer));
}

GatewayOutcome GatewayCommands::request(GatewayRequest which) {
    return send(informationRequest(which));
}

GatewayOutcome GatewayCommands::run(GatewayControl control, const GatewayInputs& in) {
    switch (control) {
    case GatewayControl::OwnIp:
        return setIp(IpSetting::OwnIp, in.ownIp);
    case GatewayControl::Netmask:
        return setIp(IpSetting::Netmask, in.netmask);
    case GatewayControl::GatewayIp:
        return setIp(IpSetting::GatewayIp, in.gatewayIp);
    case GatewayControl::NetworkNumber:
        return setIp(IpSetting::NetworkNumber, in.networkNumber);
    case GatewayControl::ManufacturerIp:
        return setIp(IpSetting::ManufacturerIp, in.manufacturerIp);
    case GatewayControl::ControlIp:
        return setIp(IpSetting::ControlIp, in.controlIp);
    case GatewayControl::OperatorIp:
        return setOperatorIp(in.operatorIp, in.operatorBoxes);
    case GatewayControl::TestIp:
        return testIp();
    case GatewayControl::Apn:
        return setApn(in.apn);
    case GatewayControl::Phone:
        return setPhone(in.phone);
    case GatewayControl::Pin:
        return setPin(in.pin);
    case GatewayControl::GprsUser:
        return setGprsUser(in.gprsUser);
    case GatewayControl::GprsPassword:
        return setGprsPassword(in.gprsPassword);
    case GatewayControl::SerialPort:
        return setSerialPort(in.speed, in.parity);
    case GatewayControl::DueDate:
        return setDueDate(in.dueDay, in.dueHour, in.dueMinute);
    case GatewayControl::ConnectRetries:
        return setConnectRetries(in.connectRetries);
    case GatewayControl::RetryTimeout:
        return setRetryTimeout(in.retryTimeout);
    case GatewayControl::PingTimeout:
        return setPingTimeout(in.pingTimeout);
    case GatewayControl::MbusTimeout:
        return setMbusTimeout(in.mbusTimeout);
    case GatewayControl::Date:
        return setDate();
    case GatewayControl::Time:
        return setTime();
    case GatewayControl::AsServer:
        return setServerMode(true);
    case GatewayControl::AsClient:
        return setServerMode(false);
    case GatewayControl::MainInfo:
        return request(GatewayRequest::MainInfo);
    case GatewayControl::ServiceInfo:
        return request(GatewayRequest::ServiceInfo);
    case GatewayControl::Connection:
        return request(GatewayRequest::Connection);
    case GatewayControl::OperatorInfo:
        return request(GatewayRequest::OperatorInfo);
    case GatewayControl::GprsInfo:
        return request(GatewayRequest::GprsInfo);
    case GatewayControl::GprsStatus:
        return request(GatewayRequest::GprsStatus);
    }
    return GatewayOutcome::NothingSent;
}

} // namespace holvex::gateway
