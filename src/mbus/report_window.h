#pragma once

#include <QStringList>
#include <QVector>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace holvex {

// "Detailed m-bus report": the readable decode of the telegrams asked for with a full read. It stays on top,
// has no close box and is left with "Close"; its contents stay until "Clear".
class ReportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReportWindow(QWidget* parent = nullptr);

    static constexpr int kGridColumns = 5;

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
};

} // namespace holvex
