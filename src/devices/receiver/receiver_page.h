#pragma once

#include "devices/receiver/key_lines.h"
#include "devices/receiver/programming_lines.h"
#include "devices/receiver/receiver_programmer.h"
#include "devices/receiver/receiver_row.h"
#include "meters/page/csv_file_dialog.h"
#include "ui/page_context.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace holvex {
class StringGridModel;
namespace display {
class DisplayTableView;
}
} // namespace holvex

namespace holvex::receiver {

// Page 5 of the main window, "   Wireless receiver Ravik-Q   ": the receiver's settings (clock, save
// interval, radio mode, role, work mode, the on/off options, the two information requests), the receiver
// table with its selection boxes and context menu, acquisition, binding, the key box and the programming
// box. Its captions are English in both languages. The table work is done here; the bus work is announced by
// the signals and run by whoever wires the page to the bus.
class ReceiverPage : public QWidget {
    Q_OBJECT

public:
    using FileDialogHook = std::function<CsvFileDialogAnswer(const CsvFileDialogRequest&)>;
    using MessageBoxHook =
        std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;

    // `meters` is page 1's meter table, which "Get from m-bus table" copies.
    ReceiverPage(const PageContext& context, StringGridModel& table, const StringGridModel& meters,
                 QWidget* parent = nullptr);

    StringGridModel& table() { return m_table; }
    display::DisplayTableView* tableView() const { return m_view; }
    QMenu* contextMenu() const { return m_menu; }

    QPushButton* dateButton() const { return m_date; }
    QPushButton* timeButton() const { return m_time; }
    QPushButton* saveIntervalButton() const { return m_setInterval; }
    QPushButton* modeButton() const { return m_setMode; }
    QPushButton* roleButton() const { return m_setRole; }
    QPushButton* workButton() const { return m_setWork; }
    QPushButton* optionButton() const { return m_setOption; }
    QPushButton* servingInfoButton() const { return m_servingInfo; }
    QPushButton* wirelessInfoButton() const { return m_wirelessInfo; }
    QPushButton* getFromMetersButton() const { return m_getFromMeters; }
    QPushButton* acquireButton() const { return m_acquire; }
    QPushButton* bindButton() const { return m_bind; }
    QPushButton* debindButton() const { return m_debind; }
    QPushButton* saveKeyButton() const { return m_saveKey; }
    QPushButton* programButton() const { return m_program; }
    QSpinBox* saveIntervalBox() const { return m_interval; }
    QComboBox* modeBox() const { return m_mode; }
    QComboBox* roleBox() const { return m_role; }
    QComboBox* workBox() const { return m_work; }
    QComboBox* optionBox() const { return m_option; }
    QCheckBox* optionValueBox() const { return m_optionValue; }
    QCheckBox* excludeIdenticalBox() const { return m_excludeIdentical; }
    QCheckBox* upToV301fBox() const { return m_upToV301f; }
    QLineEdit* keyField() const { return m_key; }
    QCheckBox* asciiBox() const { return m_ascii; }
    QCheckBox* hexBox() const { return m_hex; }
    QCheckBox* addressTargetBox() const { return m_targetAddress; }
    QCheckBox* idTargetBox() const { return m_targetId; }
    QCheckBox* oneKeyAllBox() const { return m_oneKeyAll; }
    QLabel* addressLabelWidget() const { return m_addressLabel; }
    QLabel* idLabelWidget() const { return m_idLabel; }
    QCheckBox* programOptionBox(ProgramOption option) const;
    QRadioButton* auxIdButton() const { return m_auxId; }

    // What the controls hold.
    QString saveIntervalText() const;
    KeyBoxState keyBox() const;
    ActivationIdSource idSource() const;

    // The row the operator selected last (0: none) and its cells.
    int currentRow() const { return m_currentRow; }
    std::optional<ReceiverRow> currentReceiverRow() const;
    // Makes a row the current one (the programming run's key pass does).
    void selectRow(int row);

    // The running operations lock the controls they name; the button captions follow.
    void setAcquireRunning(bool running);
    void setProgramRunning(bool running);
    // The programming run cleared an option, or "One key all".
    void showProgramOptions(const ProgramOptions& options);
    void showKeyBox(const KeyBoxState& keyBox);

    void setSaveDialogHook(FileDialogHook hook) { m_saveDialog = std::move(hook); }
    void setOpenDialogHook(FileDialogHook hook) { m_openDialog = std::move(hook); }
    void setMessageBoxHook(MessageBoxHook hook) { m_messageBox = std::move(hook); }

    // The table's own actions (buttons and context menu).
    void getFromMeters();
    void selectAll();
    void deselectAll();
    void addRow();
    void deleteRow();
    void clearTable();
    void exportTable();
    void importTable();

signals:
    void dateRequested();
    void timeRequested();
    void saveIntervalRequested();
    void modeRequested();
    void roleRequested();
    void workRequested();
    void optionRequested();
    void servingInfoRequested();
    void wirelessInfoRequested();
    void acquireRequested();
    void bindRequested();
    void debindRequested();
    void saveKeyRequested();
    void programRequested();
    void programOptionToggled(ProgramOption option, bool ticked);
    void idSourceChanged(ActivationIdSource source);
    void keyBoxEdited();
    // "Full read" from the context menu on a data row.
    void fullReadRequested(int row);

private:
    QWidget* buildSettings();
    QWidget* buildKeyBox();
    QWidget* buildProgramBox();
    void buildContextMenu();
    void connectControls();
    void onCellSelected(int row, int column);
    void keepOneEntryMode(QCheckBox* changed, bool ticked);
    void setLocked(const QList<QPointer<QWidget>>& controls, bool locked);
    void rememberFolderOf(const QString& path);

    PageContext m_page;
    StringGridModel& m_table;
    const StringGridModel& m_meters;

    display::DisplayTableView* m_view = nullptr;
    QMenu* m_menu = nullptr;
    QPushButton* m_date = nullptr;
    QPushButton* m_time = nullptr;
    QSpinBox* m_interval = nullptr;
    QPushButton* m_setInterval = nullptr;
    QComboBox* m_mode = nullptr;
    QPushButton* m_setMode = nullptr;
    QComboBox* m_role = nullptr;
    QPushButton* m_setRole = nullptr;
    QComboBox* m_work = nullptr;
    QPushButton* m_setWork = nullptr;
    QComboBox* m_option = nullptr;
    QCheckBox* m_optionValue = nullptr;
    QPushButton* m_setOption = nullptr;
    QPushButton* m_servingInfo = nullptr;
    QPushButton* m_wirelessInfo = nullptr;
    QPushButton* m_getFromMeters = nullptr;
    QPushButton* m_acquire = nullptr;
    QCheckBox* m_excludeIdentical = nullptr;
    QCheckBox* m_upToV301f = nullptr;
    QPushButton* m_bind = nullptr;
    QPushButton* m_debind = nullptr;
    QWidget* m_keyGroup = nullptr;
    QLineEdit* m_key = nullptr;
    QCheckBox* m_ascii = nullptr;
    QCheckBox* m_hex = nullptr;
    QCheckBox* m_targetAddress = nullptr;
    QCheckBox* m_targetId = nullptr;
    QCheckBox* m_oneKeyAll = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLabel* m_idLabel = nullptr;
    QPushButton* m_saveKey = nullptr;
    QWidget* m_programGroup = nullptr;
    QList<QCheckBox*> m_programOptions;
    QRadioButton* m_mainId = nullptr;
    QRadioButton* m_auxId = nullptr;
    QPushButton* m_program = nullptr;

    int m_currentRow = 0;
    FileDialogHook m_saveDialog;
    FileDialogHook m_openDialog;
    MessageBoxHook m_messageBox;
};

} // namespace holvex::receiver
