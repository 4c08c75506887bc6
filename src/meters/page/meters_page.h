#pragma once

#include "lang/message_language.h"
#include "meters/page/csv_file_dialog.h"
#include "meters/table/meter_table.h"
#include "ui/page_context.h"

#include <QMessageBox>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace holvex {

class ConfigurationGroupWidget;
class MeterTableView;
class StringGridModel;
struct RunState;
struct Settings;

// Page 1 of the main window: the meter table with its selection labels, its context menu, the read, clear,
// load and save buttons, and the File menu's Open and Save. The bus operations themselves are not here: the
// page announces them (readSelectedRequested ...) and whoever runs them reads the page's inputs.
class MetersPage : public QWidget {
    Q_OBJECT
public:
    // Context menu entries, in menu order.
    enum ContextEntry {
        ReadSelectedEntry = 0,
        ReadAllEntry,
        FullReadEntry,
        SetMediumEntry,
        SetUnitEntry,
        SetBaudEntry,
        SetPulseWidthEntry,
        ClearTableEntry,
        SaveExportEntry,
        DeleteRowEntry,
        ContextEntryCount
    };

    using FileDialogHook = std::function<CsvFileDialogAnswer(const CsvFileDialogRequest&)>;
    using MessageBoxHook =
        std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;
    using PopupHook = std::function<void(QMenu* menu, const QPoint& globalPos)>;

    static const QString kSaveFilter; // "CSV files (*.csv)"
    static const QString kOpenFilter; // "CSV (*.csv)"

    MetersPage(const PageContext& context, QWidget* parent);

    StringGridModel& meterTable() { return *m_table; }
    MeterTableView* tableView() const { return m_view; }

    // Inputs of the read operations.
    bool useSndNke() const;
    bool broadcast() const;
    // The hidden relay counter field.
    QString relayCounter() const;
    QLineEdit* relayCounterField() const { return m_relayCounter; }

    QPushButton* readAllButton() const { return m_readAll; }
    QPushButton* readSelectedButton() const { return m_readSelected; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* loadButton() const { return m_load; }
    QPushButton* saveButton() const { return m_save; }
    QCheckBox* sndNkeBox() const { return m_sndNke; }
    QCheckBox* broadcastBox() const { return m_broadcast; }
    QLabel* idLabel() const { return m_idLabel; }
    QLabel* addressLabel() const { return m_addressLabel; }
    QMenu* contextMenu() const { return m_contextMenu; }
    QAction* contextAction(ContextEntry entry) const;
    // Room beside the table for the configuration controls.
    QVBoxLayout* sideArea() const { return m_sideArea; }
    // The configuration group and the automatic addressing's controls, in the side area.
    ConfigurationGroupWidget* configurationGroup() const { return m_configuration; }

    // File dialogs, message boxes and the pop-up menu go through these, so tests answer them without
    // blocking.
    void setSaveDialogHook(FileDialogHook hook) { m_saveDialog = std::move(hook); }
    void setOpenDialogHook(FileDialogHook hook) { m_openDialog = std::move(hook); }
    void setMessageBoxHook(MessageBoxHook hook) { m_messageBox = std::move(hook); }
    void setPopupHook(PopupHook hook) { m_popup = std::move(hook); }

    // Shows what a cell selection made by code left (the two labels, the relay counter when the selection
    // set it) and makes its row the view's current row.
    void showCellSelection(const CellSelection& selection);
    // Refreshes the labels from SelectedId / SelectedAddress, then makes the meter of SelectedAddress the
    // current row (the heading when no row holds it).
    void focusRowByAddress();
    void refreshLabels();
    // Row 0 of the table in the given language, with the extra titles of the run state.
    void applyHeadings(TickedLanguage language);
    // The settings dialog changed the extra titles: the headings follow in the ticked language.
    void onExtraTitlesChanged();

    // The page's actions, also reached from the File menu and the context menu.
    void Butt_clear_tableClick();
    void Menu_delete_rowClick();
    void Butt_save_exportClick();
    void Butt_loadClick();
    void Menu_full_readClick();

signals:
    void readSelectedRequested();
    void readAllRequested();
    // FullReadRequested is set in the run state first; the read then runs as "Read selected".
    void fullReadRequested();

private:
    void buildControls();
    void buildContextMenu();
    void addCaptions();
    void connectControls();

    void Grid_bmetersSelectCell(int gridRow);
    void Grid_bmetersMouseUp(int gridRow, bool ctrlHeld);
    void Grid_bmetersDblClick();
    void Grid_bmetersContextMenu(const QPoint& globalPos);
    void showSelectionTexts(const CellSelection& selection);
    // After rows vanished, the labels follow the row that is current now.
    void reselectCurrentRow();
    void rememberFolderOf(const QString& path);
    void showBox(QMessageBox::Icon icon, const QString& title, const QString& text);

    PageContext m_page;
    RunState& m_run;
    Settings& m_settings;

    StringGridModel* m_table = nullptr;
    MeterTableView* m_view = nullptr;
    QLabel* m_idLabel = nullptr;
    QLabel* m_addressLabel = nullptr;
    QCheckBox* m_sndNke = nullptr;
    QCheckBox* m_broadcast = nullptr;
    QPushButton* m_readAll = nullptr;
    QPushButton* m_readSelected = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QLineEdit* m_relayCounter = nullptr;
    QVBoxLayout* m_sideArea = nullptr;
    ConfigurationGroupWidget* m_configuration = nullptr;
    QMenu* m_contextMenu = nullptr;
    QList<QAction*> m_contextActions;

    FileDialogHook m_saveDialog;
    FileDialogHook m_openDialog;
    MessageBoxHook m_messageBox;
    PopupHook m_popup;
};

} // namespace holvex
