#pragma once

#include "meters/page/csv_file_dialog.h"
#include "ui/page_context.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>

class QPushButton;
class QVBoxLayout;

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

class DisplayCommandsWidget;
class DisplayOptionsWidget;
class DisplayTables;
class DisplayTableView;

// Page 3 of the main window, "   Local display Lumet   ": the display table with its selection boxes, the
// table buttons ("Get data from m-bus devices", "Clear table", "Add row", "Delete row", "Select All",
// "Deselect All", "Import", "Export"), the property boxes and "Write table to the display", and the one-shot
// controls. The table work is done here; the bus work (the write, the one-shot commands) is announced by the
// buttons and run by whoever wires the page to the bus.
//
// The read-out controls ("Read data ", "Read values" with its boxes, the "   General info   " group with
// "Get info") go into readArea(); those a running table write disables are registered with
// addWriteLockedControl().
class DisplayPage : public QWidget {
    Q_OBJECT

public:
    using FileDialogHook = std::function<CsvFileDialogAnswer(const CsvFileDialogRequest&)>;
    using MessageBoxHook =
        std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;

    static const QString kSaveFilter; // "CSV files (*.csv)"
    static const QString kOpenFilter; // "CSV (*.csv)"
    // The write button, whose caption names the running write while it runs.
    static const QString kWriteButtonName;

    // `meters` is page 1's meter table, which "Get data from m-bus devices" copies.
    DisplayPage(const PageContext& context, DisplayTables& tables, const StringGridModel& meters,
                QWidget* parent = nullptr);

    StringGridModel& table();
    DisplayTableView* tableView() const { return m_view; }
    DisplayOptionsWidget* optionsWidget() const { return m_options; }
    DisplayCommandsWidget* commandsWidget() const { return m_commands; }
    QPushButton* writeButton() const { return m_write; }
    QPushButton* getDataButton() const { return m_getData; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* addRowButton() const { return m_addRow; }
    QPushButton* deleteRowButton() const { return m_deleteRow; }
    QPushButton* selectAllButton() const { return m_selectAll; }
    QPushButton* deselectAllButton() const { return m_deselectAll; }
    QPushButton* importButton() const { return m_import; }
    QPushButton* exportButton() const { return m_export; }

    // Room for the read-out controls, below the write controls.
    QVBoxLayout* readArea() const { return m_readArea; }
    // A control that a running table write disables.
    void addWriteLockedControl(QWidget* control);
    // The write runs (locked) or has ended: the one-shot buttons and the registered controls follow.
    void setWriteLocked(bool locked);

    // The cell the operator selected last: its row (0: none), its column and the row's "Addr. " text at
    // that moment.
    int selectedRow() const { return m_selectedRow; }
    int selectedColumn() const { return m_selectedColumn; }
    QString selectedAddress() const { return m_selectedAddress; }

    void setSaveDialogHook(FileDialogHook hook) { m_saveDialog = std::move(hook); }
    void setOpenDialogHook(FileDialogHook hook) { m_openDialog = std::move(hook); }
    void setMessageBoxHook(MessageBoxHook hook) { m_messageBox = std::move(hook); }

    // The table buttons.
    void Butt_get_dataClick();
    void Butt_clear_tableClick();
    void Butt_add_rowClick();
    void Butt_delete_rowClick();
    void Butt_select_allClick();
    void Butt_deselect_allClick();
    void Butt_importClick();
    void Butt_exportClick();

signals:
    // A cell became the selected one (the read-out's "Get info" takes its address).
    void cellSelected(int row, int column, const QString& address);

private:
    void buildControls();
    void addCaptions();
    void connectControls();
    void Grid_lumetSelectCell(int row, int column);
    void Grid_lumetBoxClick(int row);
    void rememberFolderOf(const QString& path);

    PageContext m_page;
    DisplayTables& m_tables;
    const StringGridModel& m_meters;

    DisplayTableView* m_view = nullptr;
    DisplayOptionsWidget* m_options = nullptr;
    DisplayCommandsWidget* m_commands = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_getData = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_addRow = nullptr;
    QPushButton* m_deleteRow = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_deselectAll = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_export = nullptr;
    QVBoxLayout* m_readArea = nullptr;
    QList<QPointer<QWidget>> m_writeLocked;

    int m_selectedRow = 0;
    int m_selectedColumn = -1;
    QString m_selectedAddress;

    FileDialogHook m_saveDialog;
    FileDialogHook m_openDialog;
    MessageBoxHook m_messageBox;
};

} // namespace holvex::display
