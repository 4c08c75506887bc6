#include "app/report_window.h"

#include "bus/run_state.h"
#include "meters/table/grid_csv.h"
#include "settings/settings.h"
#include "ui/dialog_accessibility.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace holvex {

const QString ReportWindow::kSaveFilter = QStringLiteral("TXT files (*.txt)");
const QString ReportWindow::kDefaultSuffix = QStringLiteral("txt");
const QString ReportWindow::kExportName = QStringLiteral("meters_data.csv");
const QString ReportWindow::kSaveErrorPrefix = QStringLiteral("Exception saving to file - ");

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// Writes the lines, each ended by CR LF; the file's error text when that fails (an existing file then stays
// as it was), an empty text otherwise.
QString writeTextLines(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += kLineEnd;
    }
    QSaveFile file(path);
    // A folder without room for the temporary copy still lets an existing, writable file be replaced.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString error = file.errorString();
        return error.isEmpty() ? QStringLiteral("the file could not be written") : error;
    }
    return QString();
}

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}
} // namespace

ReportWindow::ReportWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TFormFullMbus"));
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

    m_clear = makeButton(QStringLiteral("Butt_clear"), QStringLiteral("Clear"), this);
    m_save = makeButton(QStringLiteral("Butt_save"), QStringLiteral("Save"), this);
    m_export = makeButton(QStringLiteral("Butt_export_csv"), QStringLiteral("Export CSV"), this);
    m_close = makeButton(QStringLiteral("Butt_close"), QStringLiteral("Close"), this);

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

    m_separator = [] {
        return Settings().ExportSeparator;
    };
    m_folder = [] {
        return QString();
    };
    m_saveDialog = [this](const CsvFileDialogRequest& request) {
        return runCsvSaveDialog(this, request);
    };
    m_messageBox = [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, this);
        box.exec();
    };

    connect(m_clear, &QPushButton::clicked, this, &ReportWindow::clearReport);
    connect(m_save, &QPushButton::clicked, this, &ReportWindow::Butt_saveClick);
    connect(m_export, &QPushButton::clicked, this, &ReportWindow::Butt_export_csvClick);
    connect(m_close, &QPushButton::clicked, this, &ReportWindow::hide);
    behaveAsDialog(this);
}

void ReportWindow::attach(const Settings& settings, const RunState& run) {
    m_separator = [&settings] {
        return settings.ExportSeparator;
    };
    m_folder = [&run] {
        return run.LastDirectory;
    };
}

void ReportWindow::Butt_saveClick() {
    CsvFileDialogRequest request;
    request.folder = m_folder();
    request.filter = kSaveFilter;
    request.defaultSuffix = kDefaultSuffix;
    const CsvFileDialogAnswer answer = m_saveDialog(request);
    if (!answer.shown || answer.path.isEmpty()) {
        return;
    }
    // The pane's lines as shown, without the line break that would follow the last one.
    const QString text = m_report->toPlainText();
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    const QString error = writeTextLines(answer.path, lines);
    if (!error.isEmpty()) {
        appendReportLine(kSaveErrorPrefix + error);
    }
}

QStringList ReportWindow::exportLines(const QString& separator) const {
    QStringList lines;
    for (int row = 1; row < m_grid->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < kGridColumns; ++column) {
            const QTableWidgetItem* item = m_grid->item(row, column);
            cells.append(item ? item->text() : QString());
        }
        lines.append(gridCsvLine(cells, separator));
    }
    return lines;
}

void ReportWindow::Butt_export_csvClick() {
    CsvFileDialogRequest request;
    request.folder = m_folder();
    request.filter = kSaveFilter;
    request.proposedName = kExportName;
    request.defaultSuffix = kDefaultSuffix;
    const CsvFileDialogAnswer answer = m_saveDialog(request);
    if (!answer.shown) {
        m_messageBox(QMessageBox::Critical, kCsvSaveErrorTitle, kCsvSaveDialogMessage);
        return;
    }
    if (answer.path.isEmpty()) {
        return;
    }
    // The separator setting in force at this moment, not the one of the last export.
    if (!writeTextLines(answer.path, exportLines(m_separator())).isEmpty()) {
        m_messageBox(QMessageBox::Critical, kCsvSaveErrorTitle, kCsvNoRightsMessage);
    }
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
