#include "sim/radio_telegram.h"

#include <openssl/evp.h>

#include <memory>

namespace holvex::sim {

namespace {

constexpr char kStart = 0x68;
constexpr char kEnd = 0x16;
constexpr char kFiller = 0x2F;
constexpr std::uint8_t kCiLong = 0x72;
constexpr std::uint8_t kCiShort = 0x7A;
constexpr std::uint8_t kCiNone = 0x78;
constexpr int kBlockBytes = 16;
constexpr int kMaxBlocks = 15;        // the configuration word counts them in four bits
constexpr int kLinkBytes = 9;         // C, manufacturer (2), ID (4), version, device
constexpr int kMaxLength = 255;       // the L-field is one byte
constexpr std::uint8_t kMode5 = 0x05; // the configuration word's high byte: security mode 5

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void appendWord(QByteArray& out, std::uint16_t word) {
    out.append(static_cast<char>(word & 0xFF));
    out.append(static_cast<char>(word >> 8));
}

bool fail(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
    return false;
}

} // namespace

std::optional<QByteArray> radioIdBytes(const QByteArray& idText) {
    if (idText.size() != 8) {
        return std::nullopt;
    }
    QByteArray bytes;
    for (int k = 3; k >= 0; --k) {
        const int high = hexValue(idText.at(2 * k));
        const int low = hexValue(idText.at(2 * k + 1));
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

QByteArray secondaryAddress(const RadioAddressConfig& address) {
    QByteArray out = radioIdBytes(address.id).value_or(QByteArray(4, '\0'));
    appendWord(out, address.manufacturer);
    out.append(static_cast<char>(address.version));
    out.append(static_cast<char>(address.device));
    return out;
}

QByteArray mode5InitializationVector(const RadioAddressConfig& address, std::uint8_t accessNumber) {
    QByteArray iv;
    appendWord(iv, address.manufacturer);
    iv.append(radioIdBytes(address.id).value_or(QByteArray(4, '\0')));
    iv.append(static_cast<char>(address.version));
    iv.append(static_cast<char>(address.device));
    iv.append(8, static_cast<char>(accessNumber));
    return iv;
}

std::optional<QByteArray> encryptAes128Cbc(const QByteArray& key, const QByteArray& iv,
                                           const QByteArray& data) {
    if (key.size() != kBlockBytes || iv.size() != kBlockBytes || data.size() % kBlockBytes != 0) {
        return std::nullopt;
    }
    if (data.isEmpty()) {
        return QByteArray();
    }
    const std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
    if (!context ||
        EVP_EncryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                           reinterpret_cast<const unsigned char*>(key.constData()),
                           reinterpret_cast<const unsigned char*>(iv.constData())) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
        return std::nullopt;
    }
    // Without padding the output is exactly the input's size and the final call adds nothing.
    QByteArray out(data.size(), '\0');
    int written = 0;
    if (EVP_EncryptUpdate(context.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                          reinterpret_cast<const unsigned char*>(data.constData()),
                          static_cast<int>(data.size())) != 1) {
        return std::nullopt;
    }
    unsigned char tail[kBlockBytes];
    int finalBytes = 0;
    if (written != data.size() || EVP_EncryptFinal_ex(context.get(), tail, &finalBytes) != 1 ||
        finalBytes != 0) {
        return std::nullopt;
    }
    return out;
}

std::optional<QByteArray> radioApplication(const RadioMeterConfig& meter, std::uint8_t accessNumber,
                                           QString* error) {
    const bool encrypted = !meter.key.isEmpty();
    QByteArray records = meter.records;
    std::uint16_t configuration = 0;
    if (encrypted) {
        if (meter.header == RadioHeader::None) {
            fail(error, QStringLiteral("a telegram without header (CI 0x78) cannot be encrypted"));
            return std::nullopt;
        }
        // The fillers in front let the reader see that the key was right.
        QByteArray plain = QByteArray(2, kFiller) + records;
        if (plain.size() % kBlockBytes != 0) {
            plain.append(kBlockBytes - plain.size() % kBlockBytes, kFiller);
        }
        const int blocks = static_cast<int>(plain.size() / kBlockBytes);
        if (blocks > kMaxBlocks) {
            fail(error, QStringLiteral("the records fill %1 blocks; at most %2 can be encrypted")
                            .arg(blocks)
                            .arg(kMaxBlocks));
            return std::nullopt;
        }
        const RadioAddressConfig& owner = meter.header == RadioHeader::Long ? meter.longHeader : meter.link;
        const auto cipher =
            encryptAes128Cbc(meter.key, mode5InitializationVector(owner, accessNumber), plain);
        if (!cipher) {
            fail(error, QStringLiteral("the records could not be encrypted"));
            return std::nullopt;
        }
        records = *cipher;
        configuration = static_cast<std::uint16_t>((kMode5 << 8) | (blocks << 4));
    }

    QByteArray application;
    switch (meter.header) {
    case RadioHeader::Long:
        application.append(static_cast<char>(kCiLong));
        application.append(radioIdBytes(meter.longHeader.id).value_or(QByteArray(4, '\0')));
        appendWord(application, meter.longHeader.manufacturer);
        application.append(static_cast<char>(meter.longHeader.version));
        application.append(static_cast<char>(meter.longHeader.device));
        break;
    case RadioHeader::Short:
        application.append(static_cast<char>(kCiShort));
        break;
    case RadioHeader::None:
        application.append(static_cast<char>(kCiNone));
        break;
    }
    if (meter.header != RadioHeader::None) {
        application.append(static_cast<char>(accessNumber));
        application.append(static_cast<char>(meter.status));
        appendWord(application, configuration);
    }
    application.append(records);
    if (kLinkBytes + application.size() > kMaxLength) {
        fail(error, QStringLiteral("the telegram holds %1 bytes after L, more than the L-field counts")
                        .arg(kLinkBytes + application.size()));
        return std::nullopt;
    }
    return application;
}

std::optional<QByteArray> relayedTelegram(const RadioMeterConfig& meter, std::uint8_t accessNumber, bool rssi,
                                          QString* error) {
    const auto application = radioApplication(meter, accessNumber, error);
    if (!application) {
        return std::nullopt;
    }
    QByteArray telegram;
    telegram.append(kStart);
    telegram.append(static_cast<char>(kLinkBytes + application->size()));
    telegram.append(static_cast<char>(meter.control));
    appendWord(telegram, meter.link.manufacturer);
    telegram.append(radioIdBytes(meter.link.id).value_or(QByteArray(4, '\0')));
    telegram.append(static_cast<char>(meter.link.version));
    telegram.append(static_cast<char>(meter.link.device));
    telegram.append(*application);
    if (rssi) {
        telegram.append(static_cast<char>(meter.rssi));
    }
    telegram.append(kEnd);
    return telegram;
}

} // namespace holvex::sim
