// Feeds arbitrary text to the receiver's line builders that take what the user typed or imported: the key
// field in both entry modes, the key and binding lines of a row, the programming run's row checks, the keys
// file and the setting lines. The input is read as UTF-8 and split at ";" into the row's cells, the key text
// comes last; the first byte chooses the key targets and entry mode.
#include "devices/receiver/binding_lines.h"
#include "devices/receiver/key_lines.h"
#include "devices/receiver/key_table.h"
#include "devices/receiver/programming_lines.h"
#include "devices/receiver/settings_lines.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace holvex::receiver;
    if (size == 0) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QString text = QString::fromUtf8(bytes);
    const QStringList cells = text.split(QLatin1Char(';'));
    const ReceiverRow row = ReceiverRow::fromCells(cells);
    const QString keyText = cells.back();
    const KeyEntry entry = (selector & 0x01) ? KeyEntry::Ascii : KeyEntry::Hex;

    const KeyField field = parseKeyField(keyText, entry);
    if (field.key.has_value() == !field.refusal.isEmpty()) {
        __builtin_trap();
    }
    const KeyTargets targets{(selector & 0x02) != 0, (selector & 0x04) != 0, (selector & 0x08) != 0};
    const ReceiverCommands keys = keyCommands(row, keyText, entry, targets);
    for (const ReceiverCommand& command : keys.commands) {
        if (command.argument.size() < kAesKeyBytes + 1) {
            __builtin_trap(); // every key line carries a comma and the 16 key bytes
        }
    }

    const ReceiverCommands bind = bindCommands(row);
    if (!bind.commands.isEmpty() && (!bind.refusal.isEmpty() || bind.commands.front().argument.size() !=
                                                                    row.address.toLatin1().size() + 9)) {
        __builtin_trap();
    }
    const auto address = secondaryAddressBytes(row.id, row.manufacturer, row.version, row.device);
    if (address && address->size() != 8) {
        __builtin_trap();
    }
    debindCommands(row);

    const ProgramAddress program = programAddress(row.address, 1);
    if (program.address.has_value() == !program.logLine.isEmpty()) {
        __builtin_trap();
    }
    const auto id = activationId(row.auxiliaryId);
    if (id && id->size() != 8) {
        __builtin_trap();
    }
    activationCommand(program.address.value_or(1), row.id, 1);
    unitCommand(1, row.medium);

    saveIntervalCommand(text);
    radioModeCommand(text);
    roleCommand(text);
    workModeCommand(text);
    optionCommand(text, (selector & 0x10) != 0);

    const KeyTable table = parseKeyTable(bytes);
    for (auto it = table.keys.cbegin(); it != table.keys.cend(); ++it) {
        if (it.key().size() != 8) {
            __builtin_trap();
        }
    }
    parseHexKey(text);
    return 0;
}
