#pragma once

#include "devices/receiver/aes_cbc.h"
#include "devices/receiver/aes_key.h"
#include "devices/receiver/receiver_row.h"
#include "mbus/decode_result.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace holvex::receiver {

// Decoding what a radio meter says: the application layer of its telegram (from the CI-field on) goes
// through the same record decoder as a wired meter's reply, so the meter table's rules, the extra columns and
// the detailed report work alike. Records encrypted in security mode 5 (AES-128 CBC) are decrypted first.

// The CI-fields of the application layers read here.
namespace ci {
inline constexpr quint8 kLongHeader = 0x72;  // 12-byte header: ID, manufacturer, version, device, access...
inline constexpr quint8 kShortHeader = 0x7A; // 4-byte header: access number, status, configuration word
inline constexpr quint8 kNoHeader = 0x78;    // records right after the CI-field, never encrypted
} // namespace ci

// A meter's address as radio telegrams carry it.
struct RadioAddress {
    quint16 manufacturer = 0;
    std::array<quint8, 4> id{}; // BCD, least significant byte first, as sent
    quint8 version = 0;
    quint8 device = 0;

    QString idText() const; // eight hex digits, most significant first, as the receiver table shows it
};

// The link-layer address of a relayed telegram (68 L C M M ID ID ID ID V D CI ...); none when it is too
// short to hold one.
std::optional<RadioAddress> linkAddressOfTelegram(const QByteArray& telegram);
// The link-layer address read back from a receiver row's "ID ", "MFR ", "Version " and "Device " cells;
// none when one of them cannot be read back.
std::optional<RadioAddress> linkAddressOfRow(const ReceiverRow& row);

// The application layer of a relayed telegram: L - 9 bytes from the CI-field on (the bytes the receiver
// adds before the end byte are not part of it). When L does not fit the telegram, everything up to the end
// byte.
QByteArray applicationOfTelegram(const QByteArray& telegram);
// The same from a receiver row: the "Telegram " bytes, cut to L - 9 by the L of "Note " when it fits, else
// without the end byte. None when the cell is not blank-separated byte hex.
std::optional<QByteArray> applicationOfRow(const ReceiverRow& row);

// The address the application layer is about: the long header's after CI 0x72, else the link layer's. None
// when neither is known.
std::optional<RadioAddress> meterAddress(const std::optional<RadioAddress>& link,
                                         const QByteArray& application);

// Security mode 5's initialization vector: manufacturer (low byte first), ID (least significant byte first),
// version, device type, then the access number eight times.
AesBlock mode5Iv(const RadioAddress& address, quint8 accessNumber);

struct RadioDecodeResult {
    // As for a wired reply (records, report lines and rows, the meter row unless a full read), with the
    // wired frame's trace left out. Nothing decoded: ok false and log holds the reason.
    mbus::DecodeResult decoded;
    int securityMode = 0;        // from the configuration word; 0 without one
    QByteArray plainApplication; // the application layer as decoded, decrypted where it was encrypted
};

// Decodes an application layer (CI 0x72, 0x7A or 0x78). `link` is the link-layer address (needed unless
// CI 0x72); `key` is the meter's key, needed in security mode 5. Failure lines:
//   "decryption failed: no key for the meter " + ID
//   "decryption failed: the first two bytes are not 2F 2F" (a wrong key)
//   "decryption failed: the telegram is shorter than its encrypted blocks"
//   "security mode " + n + " is not supported, nothing decoded"
//   "CI-field 0x" + hh + " is not decoded"
//   "the telegram is too short for its header"
//   "the meter's address is not known" (CI 0x7A or 0x78 without a link address)
//   "the telegram is too long to decode"
// Never throws; never reads outside the bytes given.
RadioDecodeResult decodeRadioApplication(const std::optional<RadioAddress>& link,
                                         const QByteArray& application, const std::optional<AesKey>& key,
                                         const mbus::DecodeOptions& options);

// A relayed telegram as the finder hands it on.
RadioDecodeResult decodeRelayedTelegram(const QByteArray& telegram, const std::optional<AesKey>& key,
                                        const mbus::DecodeOptions& options);

// A receiver-table row, from its "Telegram " cell and its address cells; a cell that is not blank-separated
// byte hex gives "the row's telegram is not written as hex bytes".
RadioDecodeResult decodeReceiverRow(const ReceiverRow& row, const std::optional<AesKey>& key,
                                    const mbus::DecodeOptions& options);

// The ID the meter's key is filed under: the long header's for CI 0x72 (the "Auxiliary ID " cell), else the
// row's "ID ".
QString keyIdOfRow(const ReceiverRow& row);

} // namespace holvex::receiver
