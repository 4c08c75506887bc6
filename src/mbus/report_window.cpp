#include "mbus/report_window.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace holvex {

namespace {
QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}
} // namespace

ReportWindow::ReportWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ReportWindow"));
    setWindowTitle(QStringLiteral("Detailed m-bus report"));

    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(QStringLiteral("Memo_fullMbus"));
    m_report->setReadOnly(true);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_report->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_report->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // The record rows are kept for the CSV export; the operator reads the pane.
    m_grid = new QTableWidget(2, kGridColumns, this);
    m_grid->setObjectName(QStringLiteral("gridData"));
    m_grid->setVisible(false);

    m_clear = MakeButton(QStringLiteral("Butt_clear"), QStringLiteral("Clear"), this);
    m_save = MakeButton(QStringLiteral("Butt_save"), QStringLiteral("Save"), this);
    m_export = MakeButton(QStringLiteral("Butt_export_csv"), QStringLiteral("Export CSV"), this);
    m_close = MakeButton(QStringLiteral("Butt_close"), QStringLiteral("Close"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_clear);
    buttons->addWidget(m_save);
    buttons->addWidget(m_export);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_report, 1);
    layout->addLayout(buttons);
    resize(760, 520);

    connect(m_clear, &QPushButton::clicked, this, &ReportWindow::clearReport);
    connect(m_close, &QPushButton::clicked, this, &ReportWindow::hide);
}

void ReportWindow::appendReportLine(const QString& line) {
    m_report->appendPlainText(line);
}

void ReportWindow::appendReport(const QStringList& lines, const QVector<QStringList>& gridRows, bool show,
                                const QWidget* centreOn) {
    for (const QString& line : lines) {
        appendReportLine(line);
    }
    for (const QStringList& row : gridRows) {
        appendGridRow(row);
    }
    if (show) {
        showCentredOn(centreOn);
    }
}

void ReportWindow::appendGridRow(const QStringList& cells) {
    // Row 0 is the empty heading; row 1 exists from the start and takes the first record.
    const int row = m_filledRows + 1;
    if (row >= m_grid->rowCount()) {
        m_grid->setRowCount(row + 1);
    }
    for (int column = 0; column < kGridColumns; ++column) {
        const QString text = column < cells.size() ? cells.at(column) : QString();
        m_grid->setItem(row, column, new QTableWidgetItem(text));
    }
    ++m_filledRows;
}

QString ReportWindow::reportText() const {
    return m_report->toPlainText();
}

void ReportWindow::clearReport() {
    m_report->clear();
    m_grid->clearContents();
    m_grid->setRowCount(2);
    m_filledRows = 0;
}

void ReportWindow::showCentredOn(const QWidget* other) {
    if (other) {
        const QRect frame = other->frameGeometry();
        move(frame.center() - rect().center());
    }
    show();
    raise();
}

} // namespace holvex
