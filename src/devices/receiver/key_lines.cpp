#include "devices/receiver/key_lines.h"

namespace holvex::receiver {

namespace {

constexpr int kHexKeyCharacters = 2 * kAesKeyBytes;

QString wrongLengthText() {
    return QStringLiteral("Encryption key must be 16 bytes exactly, skipping...");
}

int upperHexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

KeyField refusedKey(const QString& text) {
    KeyField field;
    field.refusal = text;
    return field;
}

KeyField asciiKey(const QString& text) {
    if (text.size() != kAesKeyBytes) {
        return refusedKey(wrongLengthText());
    }
    AesKey key{};
    for (int i = 0; i < kAesKeyBytes; ++i) {
        const char16_t u = text[i].unicode();
        if (u > 0xFF) {
            return refusedKey(wrongLengthText());
        }
        key[static_cast<std::size_t>(i)] = static_cast<quint8>(u);
    }
    return KeyField{key, {}};
}

KeyField hexKey(const QString& text) {
    if (text.size() != kHexKeyCharacters) {
        return refusedKey(wrongLengthText());
    }
    AesKey key{};
    for (int i = 0; i < kAesKeyBytes; ++i) {
        const int high = upperHexValue(text[2 * i]);
        const int low = upperHexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return refusedKey(QStringLiteral("Wrong HEX key, 0..F uppercase allowed only"));
        }
        key[static_cast<std::size_t>(i)] = static_cast<quint8>(high * 16 + low);
    }
    return KeyField{key, {}};
}

ReceiverCommands refused(const QString& text) {
    ReceiverCommands result;
    result.refusal = text;
    return result;
}

} // namespace

KeyField parseKeyField(const QString& text, KeyEntry entry) {
    return entry == KeyEntry::Ascii ? asciiKey(text) : hexKey(text);
}

ReceiverCommands keyCommands(const std::optional<ReceiverRow>& row, const QString& keyText, KeyEntry entry,
                             const KeyTargets& targets) {
    if (!row) {
        return refused(QStringLiteral("No row selected from the table..."));
    }
    if (row->address.isEmpty()) {
        return refused(QStringLiteral("Not correct Primary address..."));
    }
    int address = 0;
    if (!addressNumber(row->address, &address) || address > kMaxKeyAddress) {
        return refused(QStringLiteral("Max primary address for AES-128 key is ") +
                       QString::number(kMaxKeyAddress));
    }
    const KeyField field = parseKeyField(keyText, entry);
    if (!field.key) {
        return refused(field.refusal);
    }
    const QByteArray key = keyBytes(*field.key);
    const QString masterText = QStringLiteral("Setting Master Key for all devices");
    ReceiverCommands result;
    if (targets.address) {
        if (targets.oneKeyAll) {
            result.commands.append(
                {QByteArrayLiteral("set encr="), QByteArrayLiteral("0,") + key, masterText});
        } else {
            result.commands.append({QByteArrayLiteral("set encr="), row->address.toLatin1() + ',' + key,
                                    QStringLiteral("Setting encryption key of ") + row->address});
        }
    }
    if (targets.useId) {
        if (targets.oneKeyAll) {
            result.commands.append(
                {QByteArrayLiteral("set akey="), QByteArrayLiteral("00000000,") + key, masterText});
        } else {
            result.commands.append({QByteArrayLiteral("set akey="), row->id.toLatin1() + ',' + key,
                                    QStringLiteral("Setting encryption key of ") + row->id});
        }
    }
    return result;
}

} // namespace holvex::receiver
