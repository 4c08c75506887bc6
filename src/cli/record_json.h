#pragma once

#include "cli/json_text.h"
#include "mbus/decode_result.h"

#include <QByteArray>

namespace holvex::cli {

// The record table of a decode as a JSON array of {"number","value","unit","qualifier","dif","vif","vife"}.
template <class Out> void appendRecordsJson(Out& out, const QVector<mbus::RecordRow>& records) {
    appendJsonRaw(out, "[");
    for (int i = 0; i < records.size(); ++i) {
        const mbus::RecordRow& record = records[i];
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
