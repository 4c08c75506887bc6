#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <initializer_list>
#include <optional>

namespace holvex::sim {

// Helpers of the installation file's loader. Each returns false with the reason in *error.

bool fail(QString* error, const QString& text);

// Unknown keys are refused: a misspelt fault would otherwise pass unnoticed.
bool knownKeys(const QJsonObject& object, std::initializer_list<const char*> keys, const QString& where,
               QString* error);

// A whole number low..high at key, into out; an absent key leaves out as it is.
bool readInt(const QJsonObject& object, const char* key, int low, int high, int& out, const QString& where,
             QString* error);
bool readCount(const QJsonObject& object, const char* key, qint64 high, qint64& out, const QString& where,
               QString* error);
// A whole number 0..high, into out; what names it in the reason.
bool readCount(const QJsonValue& value, qint64 high, qint64& out, const QString& what, QString* error);

// A boolean at key, into out; an absent key leaves out as it is.
bool readBool(const QJsonObject& object, const char* key, bool& out, const QString& where, QString* error);

// One of the texts given at key; its index into out. An absent key leaves out as it is.
bool readChoice(const QJsonObject& object, const char* key, std::initializer_list<const char*> choices,
                int& out, const QString& where, QString* error);

// Bytes written as hex digits, blanks allowed between them ("68 2E 44"); none for anything else or nothing.
std::optional<QByteArray> hexBytes(const QString& text);

} // namespace holvex::sim
