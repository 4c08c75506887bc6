#pragma once

#include "sim/text_device_faults.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>

#include <cstdint>

namespace holvex::sim {

// The application-layer header a radio meter sends after its CI-field: the long header (CI 0x72: the
// meter's own ID, manufacturer, version and device type, then access number, status and configuration
// word), the short header (CI 0x7A: access number, status, configuration word) or none (CI 0x78, records
// right after the CI-field, never encrypted).
enum class RadioHeader { Long, Short, None };

// The address fields of a radio telegram: ID as 8 hex digits ("12345678", most significant first, as the
// meter's label shows it), manufacturer code, version, device type.
struct RadioAddressConfig {
    QByteArray id; // 8 hex digits
    std::uint16_t manufacturer = 0;
    std::uint8_t version = 0;
    std::uint8_t device = 0;
};

// One radio meter the receiver hears in transparent mode.
struct RadioMeterConfig {
    RadioAddressConfig link;       // the link layer's address (the sender: the meter, or a converter)
    RadioAddressConfig longHeader; // the long header's address (CI 0x72); by default the link's
    std::uint8_t control = 0x44;   // C-field: SND_NR
    RadioHeader header = RadioHeader::Short;
    std::uint8_t accessNumber = 0; // of the first telegram; each telegram after it counts one up
    std::uint8_t status = 0;
    QByteArray records; // the plain data records after the header
    QByteArray key;     // 16 bytes: the records go out AES-128 encrypted in security mode 5; empty: plain
    std::uint8_t rssi = 0xC5; // the byte the receiver adds before the end byte while its RSSI option is on
    bool split = false;       // the telegram reaches the serial line in two writes
};

// One write of the receiver's transparent output: a meter's telegram (index into the meter list) or a text
// written as it is ("Done!\n").
struct AirItem {
    int meter = -1;
    QByteArray text;
};

// A radio meter the receiver keeps under a primary address ("set entr=a,id").
struct ReceiverEntry {
    QByteArray id;     // 8 hex digits, upper case
    int unitCode = -1; // "set unit=a,code"; -1 while not set
};

// Misbehaviour of the receiver: the text devices' faults, and activations that never succeed.
struct ReceiverFaults {
    TextDeviceFaults text;
    bool neverDone = false;  // every activation ("set entr") is answered without "Done!" or "already"
    int busyActivations = 0; // the first N activations are answered so, and not carried out
};

// The receiver's on/off options by their line keys.
inline constexpr const char* kReceiverOptionKeys[] = {"rssi", "tmst", "minc", "trns", "ambr", "mast"};

// The Ravik-Q receiver: its settings, the meters it keeps, the radio meters it hears.
struct ReceiverConfig {
    QByteArray firmware =
        "3.12a"; // "up to v3.01f" switches transparent output with "rtra", later with "trns"
    QByteArray serial = "RQ-000001";
    QDateTime clock; // invalid: the installation sets the time it starts; kept as set (it does not run)
    int saveInterval = 15;
    int radioMode = 1;                   // "set wmod=" code: 0 S2, 1 T1, 2 T2, 3 S1, 4 R, 10 T1+C, 11 T2+C
    int role = 0;                        // 0 slave, 1 master, 2 repeater
    int workMode = 0;                    // 0 normal, 1 install, 2 accept all
    QMap<QByteArray, bool> options;      // by key ("rssi" ...); "trns" is the transparent output
    QMap<int, ReceiverEntry> entries;    // by primary address 1..450
    QMap<int, QByteArray> bindings;      // 8-byte secondary addresses by primary address 1..64
    QMap<int, QByteArray> addressKeys;   // 16-byte keys by primary address 1..450
    QMap<QByteArray, QByteArray> idKeys; // 16-byte keys by ID (8 hex digits, upper case)
    QByteArray masterKey;                // "set encr=0," / "set akey=00000000,"; empty until set

    QList<RadioMeterConfig> meters;
    QList<AirItem> air;   // the transparent output in turn; empty: every meter once, in order
    int paceMs = 1000;    // between two writes of the transparent output
    int splitGapMs = 300; // between the two writes of a split telegram
    ReceiverFaults faults;
};

inline constexpr int kReceiverEntries = 450;
inline constexpr int kReceiverBindings = 64;
inline constexpr int kSecondaryAddressBytes = 8;
inline constexpr int kRadioKeyBytes = 16;

} // namespace holvex::sim
