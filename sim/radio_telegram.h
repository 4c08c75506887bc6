#pragma once

#include "sim/receiver_config.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// The telegrams a radio meter sends, in the form the receiver relays them on its serial line in transparent
// mode:
//
//   68 L C M M ID ID ID ID V D CI [header] records [added bytes] 16
//
// L counts the bytes from C to the last record byte (the radio length field without CRCs), so the end byte
// sits at L + 2 plus the bytes the receiver adds (its RSSI byte). The long header (CI 0x72) carries the
// meter's own address (ID, manufacturer, version, device), then access number, status and the configuration
// word (low byte first); the short header (CI 0x7A) the last three only.
//
// Security mode 5 (a meter with a key): the records are preceded by 2F 2F, filled up with 2F to whole
// 16-byte blocks and encrypted with AES-128 in CBC mode; the configuration word is 0x05N0 with N the number
// of encrypted blocks (at most 15). The initialization vector is the manufacturer (low byte first), the ID
// (least significant byte first), version and device type of the long header's address after CI 0x72 (else
// the link layer's), then the access number eight times.

// The ID's four BCD bytes, least significant first; none unless 8 hex digits.
std::optional<QByteArray> radioIdBytes(const QByteArray& idText);

// The 8 bytes of a secondary address (ID least significant byte first, manufacturer low byte first,
// version, device), as "set bind=" carries them.
QByteArray secondaryAddress(const RadioAddressConfig& address);

// Security mode 5's initialization vector for an address and an access number.
QByteArray mode5InitializationVector(const RadioAddressConfig& address, std::uint8_t accessNumber);

// AES-128 in CBC mode without padding (libcrypto); none unless key and IV are 16 bytes and the data whole
// blocks.
std::optional<QByteArray> encryptAes128Cbc(const QByteArray& key, const QByteArray& iv,
                                           const QByteArray& data);

// The application layer from the CI-field on; none with the reason when the meter cannot send it (a key
// with CI 0x78, records too long to encrypt or to send).
std::optional<QByteArray> radioApplication(const RadioMeterConfig& meter, std::uint8_t accessNumber,
                                           QString* error);

// The whole relayed telegram; `rssi` adds the meter's RSSI byte before the end byte.
std::optional<QByteArray> relayedTelegram(const RadioMeterConfig& meter, std::uint8_t accessNumber, bool rssi,
                                          QString* error);

} // namespace holvex::sim
