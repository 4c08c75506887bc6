#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <array>

namespace holvex::gateway {

// The command lines of the communication devices page: one builder per control, each turning what the
// control holds into the line to send. The builders only build: GatewayCommands applies the RS-232 rule of
// the road (links::Channel::sendGatewayLine), opens the serial port, writes the log lines and the command,
// and starts Timer_free_command.
//
// The order of work for a press: when nothing is sent, log the refusal (if any) and stop; when the road
// refuses the line, log kRs232OnlyMessage and stop; when the serial port cannot be opened, stop; otherwise
// log logText (if any), write the line, and start Timer_free_command when startsAnswerTimer.

// Which roads a gateway line may take besides the serial port.
enum class Rs232Rule {
    // Network settings and information requests (the IP group, "SET TEST", every "GET"): refused whenever a
    // network channel is chosen in the settings.
    NetworkOrInformation,
    // Every other setting: refused over the LAN adapter and with gateways calling in; with a gateway of the
    // server version chosen it still goes out on the serial port.
    OtherSetting,
};

inline const QString kRs232OnlyMessage = QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!");

struct GatewaySetting {
    QByteArray line; // the command line; empty when nothing is sent
    QString logText; // written just before the line is sent; empty for lines sent without a log text
    QString refusal; // when nothing is sent: the check's log line, or empty when the press just does nothing
    Rs232Rule rule = Rs232Rule::OtherSetting;
    bool startsAnswerTimer = true; // Timer_free_command shows the answer
    bool sends() const { return !line.isEmpty(); }
};

// The single-address fields of the IP group.
enum class IpSetting {
    OwnIp,          // "Set Own IPv4": SET IPV4
    GatewayIp,      // "Set gateway IP": SET GATE
    Netmask,        // "Set Netmask": SET MASK
    NetworkNumber,  // "Set Network number": SET NETN
    ManufacturerIp, // "Manufacturer IP": SET IPMA
    ControlIp,      // "Control IP": SET IPCO
};

// An empty field sends nothing; a field that is not a dotted quad is refused with "Wrong IP value, please
// correct..."; otherwise "SET " key "=" the field text.
GatewaySetting ipSetting(IpSetting setting, const QString& fieldText);

// "Operator IP" with its boxes "#1" to "#4" (index 0 to 3): one result per ticked box, in box order, each an
// IP setting of key IPO1 to IPO4 with the text of the one field. No box ticked: no result.
QList<GatewaySetting> operatorIpSettings(const QString& fieldText, const std::array<bool, 4>& ticked);

// "Test IP": "SET TEST".
GatewaySetting testIpSetting();

// "Serial speed" and "Serial parity" box texts: "SET COM2=" speed code "," parity code.
GatewaySetting serialPortSetting(const QString& speed, const QString& parity);

// The up-down boxes take the box's text (QSpinBox::cleanText()): an empty text, one that is not a number,
// or a number outside the box's range sends nothing. The argument is two digits.
GatewaySetting pingTimeoutSetting(const QString& value);    // "SET PITO=" 1..48
GatewaySetting retryTimeoutSetting(const QString& value);   // "SET RETI=" 1..50 tenths of a second
GatewaySetting connectRetriesSetting(const QString& value); // "SET RETN=" 1..16
GatewaySetting mbusTimeoutSetting(const QString& value);    // "SET NETO=" 3..25 tenths of a second

// "Set due date (dd/hh/mm)": "SET DUED=" dd "/" hh "/" mm. Any box empty, not a number or out of its range:
// "Wrong readout time, skipping...".
GatewaySetting dueDateSetting(const QString& day, const QString& hour, const QString& minute);

// The PC's date and time: "SET DATE=" dd "," mm "," yy (year minus 2000) and "SET TIME=" hh "," mm. An
// invalid date or time sends nothing.
GatewaySetting dateSetting(const QDate& today);
GatewaySetting timeSetting(const QTime& now);

// The GPRS texts go between two double-quote characters; an empty field sends nothing. The phone number,
// user and password fields holding exactly "0" send the bare 0, which deletes the setting on the gateway.
// The APN and phone lines leave Timer_free_command alone.
GatewaySetting apnSetting(const QString& apn);               // "SET APNM="
GatewaySetting phoneSetting(const QString& phone);           // "SET PHON="
GatewaySetting gprsUserSetting(const QString& user);         // "SET USER="
GatewaySetting gprsPasswordSetting(const QString& password); // "SET PASS="

// "Set PIN code": "SET PINC=" pin; anything but four digits: "PIN must be 4 digits, skipping...".
GatewaySetting pinSetting(const QString& pin);

// "Set as server" ("SET SERV=1") and "Set as client" ("SET SERV=0").
GatewaySetting serverModeSetting(bool asServer);

// The information buttons, each one "GET" line without a log text.
enum class GatewayRequest {
    MainInfo,     // "Main info": GET MAIN
    ServiceInfo,  // "Service info": GET SERV
    Connection,   // "Connection": GET CONN
    OperatorInfo, // "OP's info": GET OPER
    GprsInfo,     // "Get GPRS info": GET GPRS
    GprsStatus,   // "Get GRPS status": GET STAT
};

GatewaySetting informationRequest(GatewayRequest request);

} // namespace holvex::gateway
