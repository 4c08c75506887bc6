#pragma once

#include "cli/json_text.h"
#include "mbus/decode_result.h"

#include <QByteArray>

#include <string_view>

namespace holvex::cli {

// Writes the prefix and then the text as a JSON string literal at dst; nullptr when the text is not ASCII.
inline char* writeAsciiJsonMember(char* dst, std::string_view prefix, const QString& value) {
    std::memcpy(dst, prefix.data(), prefix.size());
    return writeAsciiJsonString(dst + prefix.size(), value);
}

// The record table of a decode as a JSON array of {"number","value","unit","qualifier","dif","vif","vife"}.
template <class Out> void appendRecordsJson(Out& out, const QVector<mbus::RecordRow>& records) {
    appendJsonRaw(out, "[");
    for (int i = 0; i < records.size(); ++i) {
        const mbus::RecordRow& record = records[i];
        // A batch decode writes millions of records: an all-ASCII one goes into the buffer in one piece.
        constexpr qsizetype kNamesAndQuotes = 96;
        const qsizetype textSize = record.number.size() + record.value.size() + record.unit.size() +
                                   record.qualifier.size() + record.difHex.size() + record.vifHex.size() +
                                   record.vifeHex.size();
        char* const first = jsonRoom(out, kNamesAndQuotes + 6 * textSize);
        char* dst = writeAsciiJsonMember(
            first, i > 0 ? std::string_view(R"(,{"number":)") : std::string_view(R"({"number":)"),
            record.number);
        dst = dst ? writeAsciiJsonMember(dst, R"(,"value":)", record.value) : nullptr;
        dst = dst ? writeAsciiJsonMember(dst, R"(,"unit":)", record.unit) : nullptr;
        dst = dst ? writeAsciiJsonMember(dst, R"(,"qualifier":)", record.qualifier) : nullptr;
        dst = dst ? writeAsciiJsonMember(dst, R"(,"dif":)", record.difHex) : nullptr;
        dst = dst ? writeAsciiJsonMember(dst, R"(,"vif":)", record.vifHex) : nullptr;
        dst = dst ? writeAsciiJsonMember(dst, R"(,"vife":)", record.vifeHex) : nullptr;
        if (dst) {
            *dst++ = '}';
            jsonEnd(out, dst);
            continue;
        }
        jsonEnd(out, first);
        appendJsonRaw(out, i > 0 ? ",{" : "{");
        appendJsonField(out, "number", record.number);
        appendJsonField(out, "value", record.value);
        appendJsonField(out, "unit", record.unit);
        appendJsonField(out, "qualifier", record.qualifier);
        appendJsonField(out, "dif", record.difHex);
        appendJsonField(out, "vif", record.vifHex);
        appendJsonField(out, "vife", record.vifeHex, false);
        appendJsonRaw(out, "}");
    }
    appendJsonRaw(out, "]");
}

} // namespace holvex::cli
