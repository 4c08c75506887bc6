// Feeds arbitrary bytes to the simulated wireless receiver's side of the serial line: the cutting of one
// write into the receiver's lines, the record's escapes, the line parser and routing, the receiver's answers
// and state, and its transparent output over a clock the input drives. The first byte picks the firmware
// and a fault; the rest is a sequence of writes, each a length byte followed by that many bytes, and each
// write moves the clock on by its length times 37 ms.
#include "sim/radio_telegram.h"
#include "sim/receiver_lines.h"
#include "sim/text_line.h"
#include "sim/text_routing.h"
#include "sim/wireless_receiver.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace holvex::sim;

constexpr std::uint8_t kRssi = 0xC5;

RadioMeterConfig meter(const char* id, RadioHeader header, bool encrypted, bool split) {
    RadioMeterConfig m;
    m.link = {.id = id, .manufacturer = 0x1593, .version = 1, .device = 7};
    m.longHeader = {.id = "44332211", .manufacturer = 0x2C2D, .version = 2, .device = 4};
    m.header = header;
    m.records = QByteArray::fromHex("0C13715804000B2D1234560268");
    if (encrypted) {
        m.key = QByteArray::fromHex("000102030405060708090A0B0C0D0E0F");
    }
    m.accessNumber = 250;
    m.rssi = kRssi;
    m.split = split;
    return m;
}

ReceiverConfig receiverConfig(std::uint8_t flags) {
    ReceiverConfig c;
    c.firmware = (flags & 1) ? "3.01f" : "3.12a";
    c.clock = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    c.faults.neverDone = (flags & 2) != 0;
    c.faults.busyActivations = (flags >> 2) & 3;
    c.paceMs = 100;
    c.splitGapMs = 30 + (flags >> 4);
    c.meters = {meter("12345678", RadioHeader::Short, false, false),
                meter("57000044", RadioHeader::Long, true, true),
                meter("31415926", RadioHeader::Short, true, false),
                meter("00000001", RadioHeader::None, false, (flags & 64) != 0)};
    c.entries.insert(3, ReceiverEntry{.id = "00000123", .unitCode = 7});
    return c;
}

void checkPieces(const QByteArray& chunk, const QList<QByteArray>& pieces) {
    if (pieces.join() != chunk || pieces.isEmpty()) {
        __builtin_trap();
    }
    for (const QByteArray& piece : pieces) {
        if ((piece.isEmpty() && !chunk.isEmpty()) || (pieces.size() > 1 && !startsReceiverLine(piece, 0))) {
            __builtin_trap();
        }
        const QByteArray escaped = escapedLine(piece);
        for (char c : escaped) {
            if (static_cast<std::uint8_t>(c) < 0x20 || c == 0x7F) {
                __builtin_trap();
            }
        }
        if (unescapedLine(escaped) != piece) {
            __builtin_trap();
        }
    }
}

void checkAnswer(const QByteArray& answer) {
    if (answer.isEmpty() || !answer.endsWith('\n') || answer.contains('\r') || answer.size() > 255) {
        __builtin_trap();
    }
}

void checkState(const WirelessReceiver& r) {
    const ReceiverConfig& s = r.state();
    for (auto it = s.bindings.cbegin(); it != s.bindings.cend(); ++it) {
        if (it.key() < 1 || it.key() > kReceiverBindings || it->size() != kSecondaryAddressBytes) {
            __builtin_trap();
        }
    }
    for (auto it = s.addressKeys.cbegin(); it != s.addressKeys.cend(); ++it) {
        if (it.key() < 1 || it.key() > kReceiverEntries || it->size() != kRadioKeyBytes) {
            __builtin_trap();
        }
    }
    for (auto it = s.idKeys.cbegin(); it != s.idKeys.cend(); ++it) {
        if (!radioIdBytes(it.key()) || it.key() != it.key().toUpper() || it->size() != kRadioKeyBytes) {
            __builtin_trap();
        }
    }
    for (auto it = s.entries.cbegin(); it != s.entries.cend(); ++it) {
        if (it.key() < 1 || it.key() > kReceiverEntries || !radioIdBytes(it->id) || it->unitCode > 16) {
            __builtin_trap();
        }
    }
    if (!s.masterKey.isEmpty() && s.masterKey.size() != kRadioKeyBytes) {
        __builtin_trap();
    }
    if (s.saveInterval < 1 || s.saveInterval > 240 || s.role < 0 || s.role > 2 || s.workMode < 0 ||
        s.workMode > 2) {
        __builtin_trap();
    }
}

// The relayed bytes so far must be whole telegrams one after the other (68 L ... [RSSI] 16), with at most
// one unfinished at the end; the used-up bytes are removed.
void checkRelayed(QByteArray& air, bool flush) {
    while (!air.isEmpty()) {
        if (static_cast<std::uint8_t>(air.at(0)) != 0x68) {
            __builtin_trap();
        }
        if (air.size() < 2) {
            break;
        }
        // 68 L, then L bytes, [RSSI], 16: the end sits right after L's bytes or one byte (the RSSI) later.
        const qsizetype plain = static_cast<std::uint8_t>(air.at(1)) + 3;
        qsizetype length = 0;
        if (air.size() >= plain && air.at(plain - 1) == 0x16) {
            length = plain;
        } else if (air.size() >= plain + 1 && air.at(plain - 1) == static_cast<char>(kRssi) &&
                   air.at(plain) == 0x16) {
            length = plain + 1;
        } else if (air.size() > plain ||
                   (air.size() == plain && air.at(plain - 1) != static_cast<char>(kRssi))) {
            __builtin_trap(); // neither end fits
        } else {
            break;
        }
        air.remove(0, length);
    }
    if (flush && !air.isEmpty()) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    WirelessReceiver receiver(receiverConfig(data[0]));
    const TextDevicesPresent present{.display = false, .gatewayService = true, .receiver = true};
    qint64 now = 0;
    QByteArray air;
    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const QByteArray chunk(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(length));
        at += 1 + length;
        now += static_cast<qint64>(length) * 37;
        for (const QByteArray& w : receiver.takeRelayed(now)) {
            air += w;
        }
        checkRelayed(air, false);
        const QList<QByteArray> pieces = splitReceiverLines(chunk);
        checkPieces(chunk, pieces);
        for (const QByteArray& piece : pieces) {
            static_cast<void>(isTextLine(piece));
            const auto line = parseTextLine(piece);
            if (!line) {
                continue;
            }
            const auto device = routeTextLine(*line, TextRoad::Serial, present);
            if ((device == TextDevice::Receiver) != WirelessReceiver::knows(*line)) {
                __builtin_trap();
            }
            if (device != TextDevice::Receiver) {
                continue;
            }
            const auto answer = receiver.answer(*line, now);
            if (!answer) {
                __builtin_trap(); // no quiet fault is set
            }
            checkAnswer(*answer);
            checkState(receiver);
        }
    }
    // Switched off, the output ends with its last telegram whole.
    const auto off = parseTextLine(receiver.upToV301f() ? "set rtra=0" : "set trns=0");
    static_cast<void>(receiver.answer(*off, now));
    for (const QByteArray& w : receiver.takeRelayed(now + 100000)) {
        air += w;
    }
    checkRelayed(air, true);
    if (receiver.nextRelayMs()) {
        __builtin_trap();
    }
    return 0;
}
