// Feeds arbitrary bytes to the simulated meter's side of the configuration frames: the command parser, a
// meter that carries the command out and reads itself back, the telegram patcher and the selection match.
// The input is taken whole as the frame; the patches tried on the fixed telegram come from its first bytes.
#include "codec/frame_codec.h"
#include "sim/meter_command.h"
#include "sim/sim_meter.h"
#include "sim/telegram_patch.h"

#include <cstddef>
#include <cstdint>

namespace {

using holvex::sim::MeterCommand;
using holvex::sim::MeterCommandKind;
using holvex::sim::SimMeter;
using holvex::sim::SimMeterConfig;
using holvex::sim::TelegramPatch;

std::uint8_t at(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// A whole RSP_UD with the long header (ID 12345678, medium water) and one volume record.
QByteArray fullTelegram() {
    return holvex::codec::longFrame(
        0x08, 0x01, 0x72,
        QByteArray::fromHex("78563412934E680701000000" // ID, maker, version, medium, access, status, sig.
                            "0C13563412"));            // volume, BCD
}

// A telegram whose CI promises the long header but is too short to carry its ID and medium.
QByteArray shortHeaderTelegram() {
    return holvex::codec::longFrame(0x08, 0x01, 0x72, QByteArray::fromHex("785634"));
}

bool checksumHolds(const QByteArray& frame) {
    const int n = static_cast<int>(frame.size());
    std::uint8_t sum = 0;
    for (int i = 4; i < n - 2; ++i) {
        sum = static_cast<std::uint8_t>(sum + at(frame, i));
    }
    return sum == at(frame, n - 2);
}

SimMeter fixedMeter() {
    SimMeterConfig config;
    config.address = 1;
    config.id = QStringLiteral("12345678");
    config.manufacturer = QStringLiteral("SEN");
    config.version = 104;
    config.medium = 0x07;
    config.telegrams = {fullTelegram(), shortHeaderTelegram()};
    return SimMeter(config);
}

// The meter's next telegram, as a REQ_UD2 at its address gets it.
QByteArray readBack(SimMeter& meter) {
    const auto answer = meter.answer(holvex::codec::shortFrame(holvex::codec::control::kReqUd2, 0x01));
    return answer ? answer->bytes : QByteArray();
}

// What a carried-out command must show in the meter and in its read-back.
void checkCarriedOut(const MeterCommand& command, SimMeter& meter) {
    const QByteArray telegram = readBack(meter);
    if (telegram.size() != fullTelegram().size() || !checksumHolds(telegram)) {
        __builtin_trap();
    }
    switch (command.kind) {
    case MeterCommandKind::SetAddress:
        if (command.code <= 250 &&
            (meter.config().address != command.code || at(telegram, 5) != command.code)) {
            __builtin_trap();
        }
        break;
    case MeterCommandKind::SetId:
        if (command.id.size() != 4) {
            __builtin_trap();
        }
        if (holvex::sim::isBcdId(command.id) && telegram.mid(7, 4) != command.id) {
            __builtin_trap();
        }
        break;
    case MeterCommandKind::SetType:
        if (at(telegram, 14) != command.medium) {
            __builtin_trap();
        }
        break;
    default:
        break;
    }
    // The short-header telegram comes next: it must come back as it is stored, apart from the A field.
    const QByteArray second = readBack(meter);
    const QByteArray stored = shortHeaderTelegram();
    const qsizetype n = stored.size();
    if (second.size() != n || !checksumHolds(second) || second.left(5) != stored.left(5) ||
        second.mid(6, n - 8) != stored.mid(6, n - 8) || second.right(1) != stored.right(1)) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const std::optional<MeterCommand> command = holvex::sim::parseMeterCommand(bytes);
    SimMeter meter = fixedMeter();
    const auto answer = meter.answer(bytes);
    if (command) {
        // A configuration frame is always confirmed with the single character.
        if (!answer || answer->bytes != QByteArray(1, static_cast<char>(holvex::codec::kAcknowledge))) {
            __builtin_trap();
        }
        checkCarriedOut(*command, meter);
    }

    // The selection match, on the bytes as a whole and on a selection frame's data field.
    SimMeter fresh = fixedMeter();
    static_cast<void>(fresh.matchesSelection(bytes));
    static_cast<void>(fresh.matchesSelection(bytes.mid(7)));
    static_cast<void>(meter.matchesSelection(bytes.mid(7, 8)));

    // Patches from the first bytes: address, an ID of any length, medium.
    TelegramPatch patch;
    if (size > 0) {
        patch.address = data[0];
    }
    if (size > 1) {
        const int idLength = data[1] % 6;
        patch.id = bytes.mid(2, idLength);
        if (size > static_cast<std::size_t>(2 + idLength)) {
            patch.medium = data[2 + idLength];
        }
    }
    const QByteArray patched = holvex::sim::patchTelegram(fullTelegram(), patch);
    if (patched.size() != fullTelegram().size() || !checksumHolds(patched)) {
        __builtin_trap();
    }
    // The bytes themselves as a stored telegram: whatever they are, the length stays.
    if (holvex::sim::patchTelegram(bytes, patch).size() != bytes.size()) {
        __builtin_trap();
    }

    // The ID helpers round trip any four bytes.
    if (bytes.size() >= 4) {
        const QByteArray four = bytes.left(4);
        const QString text = holvex::sim::idText(four);
        if (text.size() != 8 || holvex::sim::idBytes(text) != four) {
            __builtin_trap();
        }
    }
    static_cast<void>(holvex::sim::idBytes(QString::fromLatin1(bytes)));
    return 0;
}
