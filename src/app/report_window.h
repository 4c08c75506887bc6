#pragma once

#include "meters/page/csv_file_dialog.h"

#include <QMessageBox>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace holvex {

struct RunState;
struct Settings;

// "Detailed m-bus report": the readable decode of the telegrams asked for with a full read. It stays on top,
// has no close box and is left with "Close"; its contents stay until "Clear".
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    using FileDialogHook = std::function<CsvFileDialogAnswer(const CsvFileDialogRequest&)>;
    using MessageBoxHook =
        std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;

    explicit ReportWindow(QWidget* parent = nullptr);

    static constexpr int kGridColumns = 5;
    static const QString kSaveFilter;      // "TXT files (*.txt)", for "Save" and "Export CSV" alike
    static const QString kDefaultSuffix;   // "txt"
    static const QString kExportName;      // "meters_data.csv"
    static const QString kSaveErrorPrefix; // "Exception saving to file - "

    // The export separator and the folder the export starts in are read at each press from these.
    void attach(const Settings& settings, const RunState& run);
    void setExportSeparatorSource(std::function<QString()> source) { m_separator = std::move(source); }
    void setFolderSource(std::function<QString()> source) { m_folder = std::move(source); }
    // The save dialog and the message boxes go through these, so tests answer them without blocking.
    void setSaveDialogHook(FileDialogHook hook) { m_saveDialog = std::move(hook); }
    void setMessageBoxHook(MessageBoxHook hook) { m_messageBox = std::move(hook); }

    // "Save": the pane's lines to a text file; a write error is reported in the pane itself.
    void Butt_saveClick();
    // "Export CSV": every grid row from 1 to the last, five cells each followed by the export separator.
    void Butt_export_csvClick();
    // The lines the export writes, as they stand now.
    QStringList exportLines(const QString& separator) const;

    void appendReportLine(const QString& line);
    // The lines and record rows of one decoded telegram; the window shows itself when `show` is set.
    void appendReport(const QStringList& lines, const QVector<QStringList>& gridRows, bool show,
                      const QWidget* centreOn);
    // One row of the hidden grid (at most five cells; the rest stay empty).
    void appendGridRow(const QStringList& cells);
    QString reportText() const;
    // Empties the pane and the grid (back to its heading and one empty row).
    void clearReport();
    // Shows the window centred on another window.
    void showCentredOn(const QWidget* other);

    QPlainTextEdit* reportPane() const { return m_report; }
    // The hidden record grid: row 0 stays empty; rows are appended after the last filled one.
    QTableWidget* gridData() const { return m_grid; }
    // Number of rows filled since the last "Clear".
    int filledGridRows() const { return m_filledRows; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* closeButton() const { return m_close; }

private:
    QPlainTextEdit* m_report = nullptr;
    QTableWidget* m_grid = nullptr;
    int m_filledRows = 0;
    QPushButton* m_clear = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_close = nullptr;
    std::function<QString()> m_separator;
    std::function<QString()> m_folder;
    FileDialogHook m_saveDialog;
    MessageBoxHook m_messageBox;
};

} // namespace holvex
