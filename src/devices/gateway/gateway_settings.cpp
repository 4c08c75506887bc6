#include "devices/gateway/gateway_settings.h"

#include "devices/gateway/command_line_text.h"
#include "devices/gateway/gateway_fields.h"

namespace holvex::gateway {

namespace {

struct KeyedText {
    const char* key;
    const char* logText;
};

const KeyedText& ipKey(IpSetting setting) {
    static const KeyedText kOwnIp{"IPV4", "Changing own IP of Ferrin2..."};
    static const KeyedText kGatewayIp{"GATE", "Changing gateway IP of Ferrin-2..."};
    static const KeyedText kNetmask{"MASK", "Changing netmask of Ferrin-2..."};
    static const KeyedText kNetworkNumber{"NETN", "Changing network ID of Ferrin-2..."};
    static const KeyedText kManufacturerIp{"IPMA", "Setting manufacturer IP..."};
    static const KeyedText kControlIp{"IPCO", "Setting control IP..."};
    switch (setting) {
    case IpSetting::OwnIp:
        return kOwnIp;
    case IpSetting::GatewayIp:
        return kGatewayIp;
    case IpSetting::Netmask:
        return kNetmask;
    case IpSetting::NetworkNumber:
        return kNetworkNumber;
    case IpSetting::ManufacturerIp:
        return kManufacturerIp;
    case IpSetting::ControlIp:
        break;
    }
    return kControlIp;
}

GatewaySetting sending(const QString& line, const QString& logText,
                       Rs232Rule rule = Rs232Rule::OtherSetting) {
    GatewaySetting setting;
    setting.line = commandBytes(line);
    setting.logText = logText;
    setting.rule = rule;
    return setting;
}

GatewaySetting refused(const QString& refusal, Rs232Rule rule = Rs232Rule::OtherSetting) {
    GatewaySetting setting;
    setting.refusal = refusal;
    setting.rule = rule;
    return setting;
}

GatewaySetting ipLine(const QString& key, const QString& fieldText, const QString& logText) {
    if (fieldText.isEmpty()) {
        return refused(QString(), Rs232Rule::NetworkOrInformation);
    }
    if (!isDottedQuad(fieldText)) {
        return refused(QStringLiteral("Wrong IP value, please correct..."), Rs232Rule::NetworkOrInformation);
    }
    return sending(QStringLiteral("SET %1=%2").arg(key, fieldText), logText, Rs232Rule::NetworkOrInformation);
}

GatewaySetting spinLine(const char* key, const SpinRange& range, const QString& value, const char* logText) {
    int number = 0;
    if (!parseFieldNumber(value, number) || !range.contains(number)) {
        return refused(QString());
    }
    return sending(QStringLiteral("SET %1=%2").arg(QLatin1String(key), twoDigits(number)),
                   QString::fromLatin1(logText));
}

// A GPRS text between double quotes; the bare 0 deletes where the gateway allows it.
GatewaySetting quotedLine(const char* key, const QString& text, bool zeroDeletes, const char* logText) {
    if (text.isEmpty()) {
        return refused(QString());
    }
    const QString argument = zeroDeletes && text == QStringLiteral("0")
                                 ? text
                                 : QStringLiteral("\"") + text + QStringLiteral("\"");
    return sending(QStringLiteral("SET %1=%2").arg(QLatin1String(key), argument),
                   QString::fromLatin1(logText));
}

bool withinRange(const QString& text, const SpinRange& range, int& value) {
    return parseFieldNumber(text, value) && range.contains(value);
}

} // namespace

GatewaySetting ipSetting(IpSetting setting, const QString& fieldText) {
    const KeyedText& key = ipKey(setting);
    return ipLine(QLatin1String(key.key), fieldText, QString::fromLatin1(key.logText));
}

QList<GatewaySetting> operatorIpSettings(const QString& fieldText, const std::array<bool, 4>& ticked) {
    QList<GatewaySetting> settings;
    for (std::size_t i = 0; i < ticked.size(); ++i) {
        if (ticked[i]) {
            const int box = static_cast<int>(i) + 1;
            settings.append(ipLine(QStringLiteral("IPO%1").arg(box), fieldText,
                                   QStringLiteral("Setting IP Op #%1...").arg(box)));
        }
    }
    return settings;
}

GatewaySetting testIpSetting() {
    return sending(QStringLiteral("SET TEST"), QString(), Rs232Rule::NetworkOrInformation);
}

GatewaySetting serialPortSetting(const QString& speed, const QString& parity) {
    const qsizetype speedCode = serialSpeedChoices().indexOf(speed);
    if (speedCode < 0) {
        return refused(QStringLiteral("Wrong speed, skipping..."));
    }
    const qsizetype parityCode = serialParityChoices().indexOf(parity);
    if (parityCode < 0) {
        return refused(QStringLiteral("Wrong parity, skipping..."));
    }
    return sending(QStringLiteral("SET COM2=%1,%2").arg(speedCode).arg(parityCode),
                   QStringLiteral("Changing Ferrin-2 serial port settings..."));
}

GatewaySetting pingTimeoutSetting(const QString& value) {
    return spinLine("PITO", kPingTimeoutRange, value, "Changing ping server timeout...");
}

GatewaySetting retryTimeoutSetting(const QString& value) {
    return spinLine("RETI", kRetryTimeoutRange, value, "Changing Ferrin-2 retry timeout...");
}

GatewaySetting connectRetriesSetting(const QString& value) {
    return spinLine("RETN", kConnectRetriesRange, value, "Changing retry number for connection to server...");
}

GatewaySetting mbusTimeoutSetting(const QString& value) {
    return spinLine("NETO", kMbusTimeoutRange, value, "Changing Ferrin-2 m-bus response timeout...");
}

GatewaySetting dueDateSetting(const QString& day, const QString& hour, const QString& minute) {
    int d = 0;
    int h = 0;
    int m = 0;
    if (!withinRange(day, kDueDayRange, d) || !withinRange(hour, kDueHourRange, h) ||
        !withinRange(minute, kDueMinuteRange, m)) {
        return refused(QStringLiteral("Wrong readout time, skipping..."));
    }
    return sending(QStringLiteral("SET DUED=%1/%2/%3").arg(twoDigits(d), twoDigits(h), twoDigits(m)),
                   QStringLiteral("Changing automatic readout time..."));
}

GatewaySetting dateSetting(const QDate& today) {
    if (!today.isValid()) {
        return refused(QString());
    }
    return sending(QStringLiteral("SET DATE=%1,%2,%3")
                       .arg(twoDigits(today.day()), twoDigits(today.month()), yearDigits(today.year())),
                   QStringLiteral("Setting date of Ferrin-2..."));
}

GatewaySetting timeSetting(const QTime& now) {
    if (!now.isValid()) {
        return refused(QString());
    }
    return sending(QStringLiteral("SET TIME=%1,%2").arg(twoDigits(now.hour()), twoDigits(now.minute())),
                   QStringLiteral("Setting time of Ferrin-2..."));
}

GatewaySetting apnSetting(const QString& apn) {
    GatewaySetting setting = quotedLine("APNM", apn, false, "Setting Access point of GPRS connection...");
    setting.startsAnswerTimer = false;
    return setting;
}

GatewaySetting phoneSetting(const QString& phone) {
    GatewaySetting setting = quotedLine("PHON", phone, true, "Setting phone number for GPRS connection...");
    setting.startsAnswerTimer = false;
    return setting;
}

GatewaySetting gprsUserSetting(const QString& user) {
    return quotedLine("USER", user, true, "Changing username for GPRS connection...");
}

GatewaySetting gprsPasswordSetting(const QString& password) {
    return quotedLine("PASS", password, true, "Changing password for GPRS connection...");
}

GatewaySetting pinSetting(const QString& pin) {
    if (pin.size() != kPinLength || !isDecimalText(pin)) {
        return refused(QStringLiteral("PIN must be 4 digits, skipping..."));
    }
    return sending(QStringLiteral("SET PINC=") + pin,
                   QStringLiteral("Changing PIN code for GPRS connection..."));
}

GatewaySetting serverModeSetting(bool asServer) {
    return asServer ? sending(QStringLiteral("SET SERV=1"),
                              QStringLiteral("Changing Ferrin-2 to server, requires RESTART of Ferrin-2"))
                    : sending(QStringLiteral("SET SERV=0"),
                              QStringLiteral("Changing Ferrin-2 to client, requires RESTART of Ferrin-2"));
}

GatewaySetting informationRequest(GatewayRequest request) {
    const char* key = "MAIN";
    switch (request) {
    case GatewayRequest::MainInfo:
        key = "MAIN";
        break;
    case GatewayRequest::ServiceInfo:
        key = "SERV";
        break;
    case GatewayRequest::Connection:
        key = "CONN";
        break;
    case GatewayRequest::OperatorInfo:
        key = "OPER";
        break;
    case GatewayRequest::GprsInfo:
        key = "GPRS";
        break;
    case GatewayRequest::GprsStatus:
        key = "STAT";
        break;
    }
    return sending(QStringLiteral("GET ") + QLatin1String(key), QString(), Rs232Rule::NetworkOrInformation);
}

} // namespace holvex::gateway
