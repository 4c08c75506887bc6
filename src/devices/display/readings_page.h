#pragma once

#include "meters/page/csv_file_dialog.h"
#include "ui/page_context.h"

#include <QMessageBox>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableView;

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

class DisplayTables;

// Page 4 of the main window, "   Get Readings   ": the readings table (the display table's columns and the
// twelve months), "Data from display window", "Get historical values" with its month choice, "Read
// meters", "Add row", "Delete row", "Clear table", "Sort table" with "by address" / "by user number", and
// "Export" (with the heading, "lumetR7_readings.csv"). The table work is done here; the history read and
// "Read meters" are announced and run on the bus by whoever wires the page.
class ReadingsPage : public QWidget {
    Q_OBJECT

public:
    using FileDialogHook = std::function<CsvFileDialogAnswer(const CsvFileDialogRequest&)>;
    using MessageBoxHook =
        std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;

    ReadingsPage(const PageContext& context, DisplayTables& tables, QWidget* parent = nullptr);

    static void addCaptions(CaptionTable& captions);

    StringGridModel& table();
    QTableView* tableView() const { return m_view; }
    QPushButton* fromDisplayButton() const { return m_fromDisplay; }
    QPushButton* historyButton() const { return m_history; }
    QComboBox* monthChoice() const { return m_month; }
    QPushButton* readMetersButton() const { return m_readMeters; }
    QPushButton* addRowButton() const { return m_addRow; }
    QPushButton* deleteRowButton() const { return m_deleteRow; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* sortButton() const { return m_sort; }
    QCheckBox* byAddressBox() const { return m_byAddress; }
    QCheckBox* byUserNumberBox() const { return m_byUserNumber; }
    QPushButton* exportButton() const { return m_export; }

    // The month choice: 0 for "ALL", 1 ("Jan") .. 12 ("Dec").
    int month() const;
    // The history read runs: "Export" is disabled meanwhile.
    void setHistoryRunning(bool running);

    void setSaveDialogHook(FileDialogHook hook) { m_saveDialog = std::move(hook); }
    void setMessageBoxHook(MessageBoxHook hook) { m_messageBox = std::move(hook); }

    void Butt_from_displayClick();
    void Butt_add_rowClick();
    void Butt_delete_rowClick();
    void Butt_clear_tableClick();
    void Butt_sortClick();
    void Butt_exportClick();

signals:
    void historyRequested(int month);
    void readMetersRequested();

private:
    PageContext m_page;
    DisplayTables& m_tables;
    QTableView* m_view = nullptr;
    QPushButton* m_fromDisplay = nullptr;
    QPushButton* m_history = nullptr;
    QComboBox* m_month = nullptr;
    QPushButton* m_readMeters = nullptr;
    QPushButton* m_addRow = nullptr;
    QPushButton* m_deleteRow = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_sort = nullptr;
    QCheckBox* m_byAddress = nullptr;
    QCheckBox* m_byUserNumber = nullptr;
    QPushButton* m_export = nullptr;
    int m_currentRow = 0;

    FileDialogHook m_saveDialog;
    MessageBoxHook m_messageBox;
};

} // namespace holvex::display
