#include "sim/json_fields.h"

#include <QJsonValue>
#include <QStringList>

#include <cmath>

namespace holvex::sim {

bool fail(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
    return false;
}

bool knownKeys(const QJsonObject& object, std::initializer_list<const char*> keys, const QString& where,
               QString* error) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char* key : keys) {
            known = known || it.key() == QLatin1String(key);
        }
        if (!known) {
            return fail(error, QStringLiteral("%1: unknown key \"%2\"").arg(where, it.key()));
        }
    }
    return true;
}

bool readInt(const QJsonObject& object, const char* key, int low, int high, int& out, const QString& where,
             QString* error) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull()) {
        return true;
    }
    const double d = value.toDouble(-1e300);
    if (!value.isDouble() || d != static_cast<double>(static_cast<long long>(d)) || d < low || d > high) {
        return fail(error, QStringLiteral("%1: \"%2\" must be a whole number %3..%4")
                               .arg(where, QLatin1String(key))
                               .arg(low)
                               .arg(high));
    }
    out = static_cast<int>(d);
    return true;
}

bool readCount(const QJsonObject& object, const char* key, qint64 high, qint64& out, const QString& where,
               QString* error) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull()) {
        return true;
    }
    return readCount(value, high, out, QStringLiteral("%1: \"%2\"").arg(where, QLatin1String(key)), error);
}

bool readCount(const QJsonValue& value, qint64 high, qint64& out, const QString& what, QString* error) {
    const double d = value.toDouble(-1);
    if (!value.isDouble() || d < 0 || d > static_cast<double>(high) || std::floor(d) != d) {
        return fail(error, QStringLiteral("%1 must be a whole number 0..%2").arg(what).arg(high));
    }
    out = static_cast<qint64>(d);
    return true;
}

bool readBool(const QJsonObject& object, const char* key, bool& out, const QString& where, QString* error) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isBool()) {
        return fail(error, QStringLiteral("%1: \"%2\" is true or false").arg(where, QLatin1String(key)));
    }
    out = value.toBool();
    return true;
}

bool readChoice(const QJsonObject& object, const char* key, std::initializer_list<const char*> choices,
                int& out, const QString& where, QString* error) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) {
        return true;
    }
    QStringList names;
    int index = 0;
    for (const char* choice : choices) {
        if (value.toString() == QLatin1String(choice)) {
            out = index;
            return true;
        }
        names.append(QStringLiteral("\"%1\"").arg(QLatin1String(choice)));
        ++index;
    }
    return fail(error, QStringLiteral("%1: \"%2\" is %3")
                           .arg(where, QLatin1String(key), names.join(QStringLiteral(" or "))));
}

std::optional<QByteArray> hexBytes(const QString& text) {
    QByteArray digits = text.toLatin1();
    digits.replace(' ', "");
    const QByteArray bytes = QByteArray::fromHex(digits);
    if (digits.isEmpty() || digits.size() % 2 != 0 || bytes.toHex() != digits.toLower()) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace holvex::sim
