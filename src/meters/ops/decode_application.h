#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QVector>

namespace holvex {

struct BusContext;

// Hands a reply to the response decoder and applies what it produced: the event-log lines, the meter-table
// row (through the table's row rules), MoreRecordsPending, and the report output. One instance serves every
// read path, so the window connects the report window and the table view's current row in one place.
//
// Wiring: connect reportOutput to the report window (append the lines to its pane and the rows to its hidden
// grid, show it when `show` is set) and rowFocused to the meter table view (make that grid row current;
// 0 is the heading row, i.e. no row) and refresh the ID / address labels and the relay counter field.
class DecodeApplication : public QObject {
    Q_OBJECT

public:
    explicit DecodeApplication(BusContext& context, QObject* parent = nullptr);

    // Decodes with the settings and run state in force and applies the result. Returns whether a valid
    // telegram was decoded (the callers' retry decision).
    bool apply(const QByteArray& reply);

signals:
    // Lines for the detailed report pane and rows for its hidden grid; `show` after a full read.
    void reportOutput(const QStringList& reportLines, const QVector<QStringList>& gridRows, bool show);
    // A decoded row was written; `row` is the grid row FocusRowByAddress made current.
    void rowFocused(int row, bool relayCounterSet, const QString& relayCounter);

private:
    BusContext& m_context;
};

} // namespace holvex
