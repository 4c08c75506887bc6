#include "devices/receiver/binding_lines.h"

#include "devices/receiver/hex_digit.h"
#include "mbus/lookups.h"

namespace holvex::receiver {

namespace {

constexpr int kIdCharacters = 8;
constexpr int kManufacturerLetters = 3;
constexpr int kNoValue = 254; // a version or device type of 254 is not bound

// A decimal byte value; none for anything else (signs and blanks included).
std::optional<quint8> byteValue(const QString& text) {
    int value = 0;
    if (!addressNumber(text, &value) || value > 255) {
        return std::nullopt;
    }
    return static_cast<quint8>(value);
}

QString maxBindAddressText() {
    return QStringLiteral("Max primary address for de-binding is 64...");
}

QString notCorrectAddressText() {
    return QStringLiteral("Not correct Primary address...");
}

bool bindAddressValid(const QString& address) {
    int value = 0;
    return addressNumber(address, &value) && value <= kMaxBindAddress;
}

ReceiverCommands refused(const QString& text) {
    ReceiverCommands result;
    result.refusal = text;
    return result;
}

} // namespace

QString noRowSelectedText() {
    return QStringLiteral("No row selected from the table...");
}

std::optional<QByteArray> secondaryAddressBytes(const QString& id, const QString& manufacturer,
                                                const QString& version, const QString& device) {
    if (id.size() != kIdCharacters || manufacturer.size() != kManufacturerLetters) {
        return std::nullopt;
    }
    const auto versionByte = byteValue(version);
    const auto deviceByte = byteValue(device);
    if (!versionByte || !deviceByte || *versionByte == kNoValue || *deviceByte == kNoValue) {
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.reserve(8);
    // The last pair of the ID text is the least significant byte and goes first.
    for (int pair = kIdCharacters - 2; pair >= 0; pair -= 2) {
        const int high = hexDigitValue(id[pair]);
        const int low = hexDigitValue(id[pair + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(high * 16 + low));
    }
    // Each letter is five bits of the code: "@" to "_" fit, anything else would spill into its neighbour.
    for (const QChar c : manufacturer) {
        if (c.unicode() < 64 || c.unicode() > 95) {
            return std::nullopt;
        }
    }
    const int code = mbus::manufacturerCode(manufacturer);
    bytes.append(static_cast<char>(code & 0xFF));
    bytes.append(static_cast<char>((code >> 8) & 0xFF));
    bytes.append(static_cast<char>(*versionByte));
    bytes.append(static_cast<char>(*deviceByte));
    return bytes;
}

ReceiverCommands bindCommands(const std::optional<ReceiverRow>& row) {
    if (!row) {
        return refused(noRowSelectedText());
    }
    if (row->id.size() != kIdCharacters) {
        return refused(QStringLiteral("Wrong ID, must be 8-digits..."));
    }
    if (row->address.isEmpty()) {
        return {};
    }
    if (!bindAddressValid(row->address)) {
        return refused(maxBindAddressText());
    }
    if (row->manufacturer.isEmpty() || row->version.isEmpty() || row->device.isEmpty()) {
        return refused(QStringLiteral("Must have MFR, VER and Device to bind..."));
    }
    if (row->manufacturer.size() != kManufacturerLetters) {
        return refused(QStringLiteral("Wrong manufacturer code, must be 3-letters..."));
    }
    const auto address = secondaryAddressBytes(row->id, row->manufacturer, row->version, row->device);
    if (!address) {
        return {};
    }
    ReceiverCommands result;
    result.commands.append(
        ReceiverCommand{QByteArrayLiteral("set bind="), row->address.toLatin1() + ',' + *address,
                        QStringLiteral("Binding device with ") + addressLabel(row->address)});
    return result;
}

ReceiverCommands debindCommands(const std::optional<ReceiverRow>& row) {
    if (!row) {
        return refused(noRowSelectedText());
    }
    if (row->address.isEmpty()) {
        return refused(notCorrectAddressText());
    }
    if (!bindAddressValid(row->address)) {
        return refused(maxBindAddressText());
    }
    ReceiverCommands result;
    result.commands.append(
        ReceiverCommand{QByteArrayLiteral("del bind="), row->address.toLatin1(),
                        QStringLiteral("De-binding device with ") + addressLabel(row->address)});
    return result;
}

} // namespace holvex::receiver
