#include "devices/gateway/gateway_fields.h"

namespace holvex::gateway {

namespace {

constexpr char16_t kBackspace = 0x08;
constexpr char16_t kLineFeed = 0x0A;
constexpr char16_t kCarriageReturn = 0x0D;

bool isDigit(QChar key) {
    return key >= u'0' && key <= u'9';
}

} // namespace

const QStringList& serialSpeedChoices() {
    static const QStringList kChoices{
        QStringLiteral("300"),  QStringLiteral("1200"),  QStringLiteral("2400"),  QStringLiteral("4800"),
        QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
    };
    return kChoices;
}

const QStringList& serialParityChoices() {
    static const QStringList kChoices{QStringLiteral("Even"), QStringLiteral("Odd"), QStringLiteral("None")};
    return kChoices;
}

bool ipFieldAccepts(QChar key) {
    return isDigit(key) || key == u'.' || key == kBackspace || key == kCarriageReturn || key == kLineFeed;
}

bool pinFieldAccepts(QChar key) {
    return isDigit(key) || key == kBackspace;
}

bool productControlEnabled(ProductControl control, GatewayProduct product) {
    switch (control) {
    case ProductControl::OwnIp:
    case ProductControl::Netmask:
    case ProductControl::ConnectRetries:
    case ProductControl::RetryTimeout:
        return product == GatewayProduct::Ferrin;
    case ProductControl::Pin:
    case ProductControl::GprsUser:
    case ProductControl::GprsPassword:
    case ProductControl::Apn:
    case ProductControl::Phone:
    case ProductControl::GprsInfo:
    case ProductControl::GprsStatus:
        return product == GatewayProduct::Galdor;
    }
    return false;
}

} // namespace holvex::gateway
