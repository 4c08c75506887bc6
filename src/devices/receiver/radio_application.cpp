#include "devices/receiver/radio_application.h"

#include "codec/frame_codec.h"
#include "devices/receiver/hex_digit.h"
#include "devices/receiver/radio_header.h"
#include "mbus/hex_text.h"
#include "mbus/response_decoder.h"

#include <QRegularExpression>

namespace holvex::receiver {

namespace {

// Bytes of the link layer from C up to the CI-field: C, manufacturer (2), ID (4), version, device.
constexpr int kLinkBytesBeforeCi = 9;

// Positions in the application layer (CI-field at 0).
constexpr int kLongAddress = 1; // ID (4), manufacturer (2), version, device
constexpr int kLongAccess = 9;
constexpr int kShortAccess = 1;
constexpr int kLongRecords = 13;
constexpr int kShortRecords = 5;
constexpr int kNoHeaderRecords = 1;

constexpr int kBlockBytes = 16;
constexpr int kSecurityNone = 0;
constexpr int kSecurityAesCbc = 5;
constexpr char kFiller = 0x2F;

// The wired frame the records are handed to: RSP_UD from address 0 with the 12-byte fixed data header.
constexpr quint8 kRspUd = 0x08;
constexpr quint8 kWiredAddress = 0x00;
constexpr quint8 kWiredVariableData = 0x72;
constexpr int kWiredHeaderBytes = 12;
constexpr int kMaxWiredRecords = codec::kMaxLongFrameData - kWiredHeaderBytes;

quint8 byteAt(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes[index]);
}

QString hexByte(quint8 value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

RadioAddress addressAt(const QByteArray& bytes, int manufacturerAt, int idAt, int versionAt, int deviceAt) {
    RadioAddress address;
    address.manufacturer =
        static_cast<quint16>(byteAt(bytes, manufacturerAt) | (byteAt(bytes, manufacturerAt + 1) << 8));
    for (int k = 0; k < 4; ++k) {
        address.id[static_cast<std::size_t>(k)] = byteAt(bytes, idAt + k);
    }
    address.version = byteAt(bytes, versionAt);
    address.device = byteAt(bytes, deviceAt);
    return address;
}

std::optional<quint8> decimalByte(const QString& text) {
    int value = 0;
    if (!addressNumber(text, &value) || value > 255) {
        return std::nullopt;
    }
    return static_cast<quint8>(value);
}

// The length field noted in the row ("L=0x2E, C=0x44").
std::optional<int> notedLength(const QString& note) {
    static const QRegularExpression pattern(QStringLiteral("L=0x([0-9A-Fa-f]{2})"));
    const QRegularExpressionMatch match = pattern.match(note);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return match.captured(1).toInt(nullptr, 16);
}

// The application layer out of the bytes from the CI-field to the end byte.
QByteArray cutApplication(const QByteArray& fromCi, std::optional<int> length) {
    if (length && *length > kLinkBytesBeforeCi && *length - kLinkBytesBeforeCi <= fromCi.size()) {
        return fromCi.left(*length - kLinkBytesBeforeCi);
    }
    if (!fromCi.isEmpty() && fromCi.back() == codec::kStop) {
        return fromCi.chopped(1);
    }
    return fromCi;
}

RadioDecodeResult failed(const QString& line) {
    RadioDecodeResult result;
    result.decoded.log.append(line);
    return result;
}

// Hands the header and records to the wired decoder as the RSP_UD it would have been on the bus.
mbus::DecodeResult decodeAsWired(const RadioAddress& address, quint8 access, quint8 status, quint16 config,
                                 QByteArray records, const mbus::DecodeOptions& options) {
    if (records.size() > kMaxWiredRecords) {
        // Trailing fillers carry nothing; a telegram still too long after them cannot be one wired frame.
        while (records.size() > kMaxWiredRecords && records.back() == kFiller) {
            records.chop(1);
        }
        if (records.size() > kMaxWiredRecords) {
            mbus::DecodeResult result;
            result.log.append(QStringLiteral("the telegram is too long to decode"));
            return result;
        }
    }
    QByteArray data;
    data.reserve(kWiredHeaderBytes + records.size());
    for (const quint8 byte : address.id) {
        data.append(static_cast<char>(byte));
    }
    data.append(static_cast<char>(address.manufacturer & 0xFF));
    data.append(static_cast<char>(address.manufacturer >> 8));
    data.append(static_cast<char>(address.version));
    data.append(static_cast<char>(address.device));
    data.append(static_cast<char>(access));
    data.append(static_cast<char>(status));
    data.append(static_cast<char>(config & 0xFF));
    data.append(static_cast<char>(config >> 8));
    data.append(records);
    const QByteArray frame = codec::longFrame(kRspUd, kWiredAddress, kWiredVariableData, data);
    mbus::DecodeResult result = mbus::decodeResponse(frame, options);
    // The first line traces the wired frame, which was never received.
    if (!result.log.isEmpty() && result.log.front().startsWith(QLatin1String("Respond: "))) {
        result.log.removeFirst();
    }
    return result;
}

} // namespace

QString RadioAddress::idText() const {
    QString text;
    for (int k = 3; k >= 0; --k) {
        text += hexByte(id[static_cast<std::size_t>(k)]);
    }
    return text;
}

std::optional<RadioAddress> linkAddressOfTelegram(const QByteArray& telegram) {
    if (telegram.size() <= radio::kDevice) {
        return std::nullopt;
    }
    return addressAt(telegram, radio::kManufacturer, radio::kId, radio::kVersion, radio::kDevice);
}

std::optional<RadioAddress> linkAddressOfRow(const ReceiverRow& row) {
    constexpr int kIdCharacters = 8;
    if (row.id.size() != kIdCharacters || row.manufacturer.size() != 3) {
        return std::nullopt;
    }
    RadioAddress address;
    for (int k = 0; k < 4; ++k) {
        const int high = hexDigitValue(row.id[kIdCharacters - 2 - 2 * k]);
        const int low = hexDigitValue(row.id[kIdCharacters - 1 - 2 * k]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        address.id[static_cast<std::size_t>(k)] = static_cast<quint8>(high * 16 + low);
    }
    // The letters as the table shows them: the first from "@" up (bit 15 of the field lifts it past "_"),
    // the other two from "@" to "_".
    const char16_t first = row.manufacturer[0].unicode();
    const char16_t second = row.manufacturer[1].unicode();
    const char16_t third = row.manufacturer[2].unicode();
    if (first < 64 || first > 127 || second < 64 || second > 95 || third < 64 || third > 95) {
        return std::nullopt;
    }
    address.manufacturer = static_cast<quint16>(((first - 64) << 10) | ((second - 64) << 5) | (third - 64));
    const auto version = decimalByte(row.version);
    const auto device = decimalByte(row.device);
    if (!version || !device) {
        return std::nullopt;
    }
    address.version = *version;
    address.device = *device;
    return address;
}

QByteArray applicationOfTelegram(const QByteArray& telegram) {
    if (telegram.size() <= radio::kCi) {
        return {};
    }
    return cutApplication(telegram.mid(radio::kCi), byteAt(telegram, radio::kLength));
}

std::optional<QByteArray> applicationOfRow(const ReceiverRow& row) {
    QByteArray bytes;
    const QStringList tokens = row.telegram.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bytes.reserve(tokens.size());
    for (const QString& token : tokens) {
        if (token.size() != 2 || hexDigitValue(token[0]) < 0 || hexDigitValue(token[1]) < 0) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(hexDigitValue(token[0]) * 16 + hexDigitValue(token[1])));
    }
    return cutApplication(bytes, notedLength(row.note));
}

std::optional<RadioAddress> meterAddress(const std::optional<RadioAddress>& link,
                                         const QByteArray& application) {
    if (!application.isEmpty() && byteAt(application, 0) == ci::kLongHeader &&
        application.size() >= kLongRecords) {
        return addressAt(application, kLongAddress + 4, kLongAddress, kLongAddress + 6, kLongAddress + 7);
    }
    return link;
}

AesBlock mode5Iv(const RadioAddress& address, quint8 accessNumber) {
    AesBlock iv{};
    iv[0] = static_cast<quint8>(address.manufacturer & 0xFF);
    iv[1] = static_cast<quint8>(address.manufacturer >> 8);
    for (std::size_t k = 0; k < 4; ++k) {
        iv[2 + k] = address.id[k];
    }
    iv[6] = address.version;
    iv[7] = address.device;
    for (std::size_t k = 8; k < iv.size(); ++k) {
        iv[k] = accessNumber;
    }
    return iv;
}

RadioDecodeResult decodeRadioApplication(const std::optional<RadioAddress>& link,
                                         const QByteArray& application, const std::optional<AesKey>& key,
                                         const mbus::DecodeOptions& options) {
    if (application.isEmpty()) {
        return failed(QStringLiteral("the telegram is too short for its header"));
    }
    const quint8 ciField = byteAt(application, 0);
    int recordsAt = 0;
    int accessAt = -1;
    switch (ciField) {
    case ci::kLongHeader:
        recordsAt = kLongRecords;
        accessAt = kLongAccess;
        break;
    case ci::kShortHeader:
        recordsAt = kShortRecords;
        accessAt = kShortAccess;
        break;
    case ci::kNoHeader:
        recordsAt = kNoHeaderRecords;
        break;
    default:
        return failed(QStringLiteral("CI-field 0x") + hexByte(ciField) + QStringLiteral(" is not decoded"));
    }
    if (application.size() < recordsAt) {
        return failed(QStringLiteral("the telegram is too short for its header"));
    }
    const std::optional<RadioAddress> address = meterAddress(link, application);
    if (!address) {
        return failed(QStringLiteral("the meter's address is not known"));
    }

    quint8 access = 0;
    quint8 status = 0;
    quint16 config = 0;
    if (accessAt >= 0) {
        access = byteAt(application, accessAt);
        status = byteAt(application, accessAt + 1);
        config = static_cast<quint16>(byteAt(application, accessAt + 2) |
                                      (byteAt(application, accessAt + 3) << 8));
    }
    // Configuration word: bits 8-12 the security mode; in mode 5 bits 4-7 count the encrypted 16-byte blocks.
    const int mode = (config >> 8) & 0x1F;
    QByteArray records = application.mid(recordsAt);

    RadioDecodeResult result;
    result.securityMode = mode;
    if (mode == kSecurityAesCbc) {
        if (!key) {
            return failed(QStringLiteral("decryption failed: no key for the meter ") + address->idText());
        }
        const int blocks = (config >> 4) & 0x0F;
        // Meters that leave the count at 0 encrypt every whole block.
        const qsizetype encrypted = blocks > 0 ? static_cast<qsizetype>(blocks) * kBlockBytes
                                               : records.size() - records.size() % kBlockBytes;
        if (encrypted == 0 || encrypted > records.size()) {
            return failed(
                QStringLiteral("decryption failed: the telegram is shorter than its encrypted blocks"));
        }
        const auto plain = decryptAesCbc(*key, mode5Iv(*address, access), records.left(encrypted));
        if (!plain || plain->size() < 2 || plain->at(0) != kFiller || plain->at(1) != kFiller) {
            RadioDecodeResult wrong =
                failed(QStringLiteral("decryption failed: the first two bytes are not 2F 2F"));
            wrong.securityMode = mode;
            return wrong;
        }
        records = *plain + records.mid(encrypted);
    } else if (mode != kSecurityNone) {
        RadioDecodeResult unsupported = failed(QStringLiteral("security mode ") + QString::number(mode) +
                                               QStringLiteral(" is not supported, nothing decoded"));
        unsupported.securityMode = mode;
        return unsupported;
    }
    result.plainApplication = application.left(recordsAt) + records;
    result.decoded = decodeAsWired(*address, access, status, config, records, options);
    return result;
}

RadioDecodeResult decodeRelayedTelegram(const QByteArray& telegram, const std::optional<AesKey>& key,
                                        const mbus::DecodeOptions& options) {
    return decodeRadioApplication(linkAddressOfTelegram(telegram), applicationOfTelegram(telegram), key,
                                  options);
}

RadioDecodeResult decodeReceiverRow(const ReceiverRow& row, const std::optional<AesKey>& key,
                                    const mbus::DecodeOptions& options) {
    const std::optional<QByteArray> application = applicationOfRow(row);
    if (!application) {
        return failed(QStringLiteral("the row's telegram is not written as hex bytes"));
    }
    return decodeRadioApplication(linkAddressOfRow(row), *application, key, options);
}

QString keyIdOfRow(const ReceiverRow& row) {
    return row.auxiliaryId.isEmpty() ? row.id : row.auxiliaryId;
}

} // namespace holvex::receiver
