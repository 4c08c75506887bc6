#include "meters/ops/decode_application.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "log/log_sink.h"
#include "mbus/response_decoder.h"
#include "meters/table/meter_table.h"
#include "settings/settings.h"

namespace holvex {

DecodeApplication::DecodeApplication(BusContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

bool DecodeApplication::apply(const QByteArray& reply) {
    RunState& state = m_context.state;
    mbus::DecodeOptions options;
    if (m_context.decimalSeparator) {
        options.decimalSeparator = m_context.decimalSeparator();
    }
    options.extraTitleCount = state.ExtraTitleCount;
    options.apator = m_context.settings.WApator;
    options.fullRead = state.FullReadRequested;
    if (m_context.timeText) {
        options.timeText = m_context.timeText();
    }
    if (m_context.dateText) {
        options.dateText = m_context.dateText();
    }

    const mbus::DecodeResult result = mbus::decodeResponse(reply, options);
    for (const QString& line : result.log) {
        m_context.log.logLine(line);
    }
    if (result.frameChecked) {
        state.MoreRecordsPending = result.moreRecordsPending;
    }
    if (result.row) {
        const DecodedRowWrite write = writeDecodedRow(m_context.meterTable, *result.row, state);
        if (write.rowsWritten > 0) {
            emit rowFocused(write.focus.row, write.focus.relayCounterSet, write.focus.relayCounter);
        }
    }
    if (result.showReport || !result.reportLines.isEmpty() || !result.gridDataRows.isEmpty()) {
        emit reportOutput(result.reportLines, result.gridDataRows, result.showReport);
    }
    return result.ok;
}

} // namespace holvex
