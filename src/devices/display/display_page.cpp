#include "devices/display/display_page.h"

#include "bus/clock_text.h"
#include "bus/run_state.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_commands_widget.h"
#include "devices/display/display_fill.h"
#include "devices/display/display_import.h"
#include "devices/display/display_options_widget.h"
#include "devices/display/display_table.h"
#include "devices/display/display_table_view.h"
#include "devices/display/display_tables.h"
#include "lang/caption_view.h"
#include "lang/message_language.h"
#include "log/log_sink.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace holvex::display {

const QString DisplayPage::kSaveFilter = QStringLiteral("CSV files (*.csv)");
const QString DisplayPage::kOpenFilter = QStringLiteral("CSV (*.csv)");
const QString DisplayPage::kWriteButtonName = QStringLiteral("Butt_lumet_write");

namespace {

const QString kApplicationTitle = QStringLiteral("Holvex");

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

DisplayPage::DisplayPage(const PageContext& context, DisplayTables& tables, const StringGridModel& meters,
                         QWidget* parent)
    : QWidget(parent), m_page(context), m_tables(tables), m_meters(meters) {
    setObjectName(QStringLiteral("DisplayPage"));
    m_saveDialog = [this](const CsvFileDialogRequest& request) {
        return runCsvSaveDialog(this, request);
    };
    m_openDialog = [this](const CsvFileDialogRequest& request) {
        return runCsvOpenDialog(this, request);
    };
    m_messageBox = [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, this);
        box.exec();
    };

    buildControls();
    addCaptions();
    connectControls();

    const TickedLanguage language = m_page.language.ticked();
    m_tables.applyHeadings(language);
    applyCaptions(this, m_page.captions, language);
}

StringGridModel& DisplayPage::table() {
    return m_tables.display();
}

void DisplayPage::buildControls() {
    m_view = new DisplayTableView(this);
    m_view->setGridModel(&m_tables.display());

    m_options = new DisplayOptionsWidget(this);
    m_write = makeButton(kWriteButtonName, QStringLiteral("Write table to the display"), this);
    m_readArea = new QVBoxLayout;
    m_commands = new DisplayCommandsWidget(this);

    auto* side = new QVBoxLayout;
    side->addWidget(m_options);
    side->addWidget(m_write);
    side->addLayout(m_readArea);
    side->addWidget(m_commands);
    side->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addLayout(side);

    m_getData = makeButton(QStringLiteral("Butt_lumet_get_data"),
                           QStringLiteral("Get data from m-bus devices"), this);
    m_clear = makeButton(QStringLiteral("Butt_lumet_clear"), QStringLiteral("Clear table"), this);
    m_addRow = makeButton(QStringLiteral("Butt_lumet_add_row"), QStringLiteral("Add row"), this);
    m_deleteRow = makeButton(QStringLiteral("Butt_lumet_delete_row"), QStringLiteral("Delete row"), this);
    m_selectAll = makeButton(QStringLiteral("Butt_lumet_select_all"), QStringLiteral("Select All"), this);
    m_deselectAll =
        makeButton(QStringLiteral("Butt_lumet_deselect_all"), QStringLiteral("Deselect All"), this);
    m_import = makeButton(QStringLiteral("Butt_lumet_import"), QStringLiteral("Import"), this);
    m_export = makeButton(QStringLiteral("Butt_lumet_export"), QStringLiteral("Export"), this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button :
         {m_getData, m_clear, m_addRow, m_deleteRow, m_selectAll, m_deselectAll, m_import, m_export}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
}

void DisplayPage::addCaptions() {
    CaptionTable& captions = m_page.captions;
    captions.add(QStringLiteral("Butt_lumet_get_data"), QStringLiteral("Get data from m-bus devices"),
                 QStringLiteral("Acquisisci dati da dispositivi m-bus"));
    captions.add(QStringLiteral("Butt_lumet_import"), QStringLiteral("Import"), QStringLiteral("Importa"));
    captions.add(QStringLiteral("Butt_lumet_export"), QStringLiteral("Export"), QStringLiteral("Esporta"));
    captions.add(QStringLiteral("Butt_lumet_select_all"), QStringLiteral("Select All"),
                 QStringLiteral("Seleziona tutti"));
    captions.add(QStringLiteral("Butt_lumet_deselect_all"), QStringLiteral("Deselect All"),
                 QStringLiteral("Deseleziona tutti"));
    captions.add(QStringLiteral("Butt_lumet_add_row"), QStringLiteral("Add row"),
                 QStringLiteral("Aggiungi riga"));
    captions.add(QStringLiteral("Butt_lumet_delete_row"), QStringLiteral("Delete row"),
                 QStringLiteral("Elimina riga"));
    captions.add(kWriteButtonName, QStringLiteral("Write table to the display"),
                 QStringLiteral("Invia tabella al Display"));
    captions.addRunning(kWriteButtonName, QStringLiteral("Stop writing table in display"),
                        QStringLiteral("Stop writing table in display"));
    DisplayCommandsWidget::addCaptions(captions);
}

void DisplayPage::connectControls() {
    connect(m_view, &DisplayTableView::cellSelected, this, &DisplayPage::Grid_lumetSelectCell);
    connect(m_view, &DisplayTableView::boxClicked, this, &DisplayPage::Grid_lumetBoxClick);
    connect(m_getData, &QPushButton::clicked, this, &DisplayPage::Butt_get_dataClick);
    connect(m_clear, &QPushButton::clicked, this, &DisplayPage::Butt_clear_tableClick);
    connect(m_addRow, &QPushButton::clicked, this, &DisplayPage::Butt_add_rowClick);
    connect(m_deleteRow, &QPushButton::clicked, this, &DisplayPage::Butt_delete_rowClick);
    connect(m_selectAll, &QPushButton::clicked, this, &DisplayPage::Butt_select_allClick);
    connect(m_deselectAll, &QPushButton::clicked, this, &DisplayPage::Butt_deselect_allClick);
    connect(m_import, &QPushButton::clicked, this, &DisplayPage::Butt_importClick);
    connect(m_export, &QPushButton::clicked, this, &DisplayPage::Butt_exportClick);
}

void DisplayPage::addWriteLockedControl(QWidget* control) {
    if (control != nullptr) {
        m_writeLocked.append(control);
    }
}

void DisplayPage::setWriteLocked(bool locked) {
    m_commands->setButtonsEnabled(!locked);
    for (const QPointer<QWidget>& control : m_writeLocked) {
        if (control) {
            control->setEnabled(!locked);
        }
    }
}

void DisplayPage::Grid_lumetSelectCell(int row, int column) {
    m_selectedRow = row;
    m_selectedColumn = column;
    m_selectedAddress = table().cell(row, kDisplayAddressColumn);
    emit cellSelected(row, column, m_selectedAddress);
}

void DisplayPage::Grid_lumetBoxClick(int row) {
    table().toggleMark(row);
}

void DisplayPage::Butt_get_dataClick() {
    const DisplayFillResult result = fillDisplayTable(table(), m_meters, systemDecimalSeparator());
    if (result.rowsLeftOut > 0) {
        // The unit keeps 250 entries; the operator should know that some meters did not make it.
        m_page.log.logLine(
            m_page.language.pick(QStringLiteral("The display table holds %1 meters: %2 more left out.")
                                     .arg(kDisplayMaxDataRows)
                                     .arg(result.rowsLeftOut),
                                 QStringLiteral("La tabella del display contiene %1 contatori: %2 esclusi.")
                                     .arg(kDisplayMaxDataRows)
                                     .arg(result.rowsLeftOut)));
    }
}

void DisplayPage::Butt_clear_tableClick() {
    clearDisplayTable(table());
}

void DisplayPage::Butt_add_rowClick() {
    addDisplayRow(table());
}

void DisplayPage::Butt_delete_rowClick() {
    deleteDisplayRow(table(), m_view->currentGridRow());
}

void DisplayPage::Butt_select_allClick() {
    setAllDisplayRowsTicked(table(), true);
}

void DisplayPage::Butt_deselect_allClick() {
    setAllDisplayRowsTicked(table(), false);
}

void DisplayPage::rememberFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!folder.isEmpty()) {
        m_page.run.LastDirectory = folder;
    }
}

void DisplayPage::Butt_importClick() {
    CsvFileDialogRequest request;
    request.folder = m_page.run.LastDirectory;
    request.filter = kOpenFilter;
    const CsvFileDialogAnswer answer = m_openDialog(request);
    if (!answer.shown || answer.path.isEmpty()) {
        return;
    }
    rememberFolderOf(answer.path);
    const CsvLoadResult result =
        importDisplayTable(answer.path, table(), m_tables.readings(), m_page.settings.ExportSeparator,
                           m_page.language.italian());
    switch (result.outcome) {
    case CsvLoadResult::Outcome::Loaded:
        break;
    case CsvLoadResult::Outcome::Unreadable:
        m_messageBox(QMessageBox::Warning, result.title, result.message);
        break;
    case CsvLoadResult::Outcome::TooManyFields:
        m_messageBox(QMessageBox::NoIcon, kApplicationTitle, result.message);
        break;
    case CsvLoadResult::Outcome::TableFull:
        m_messageBox(QMessageBox::Warning, kApplicationTitle, result.message);
        break;
    }
}

void DisplayPage::Butt_exportClick() {
    CsvFileDialogRequest request;
    request.folder = m_page.run.LastDirectory;
    request.filter = kSaveFilter;
    request.proposedName = kDisplayTableCsvName;
    request.defaultSuffix = QStringLiteral("csv");
    const CsvFileDialogAnswer answer = m_saveDialog(request);
    if (!answer.shown) {
        m_messageBox(QMessageBox::Critical, kCsvSaveErrorTitle, kCsvSaveDialogMessage);
        return;
    }
    if (answer.path.isEmpty()) {
        return;
    }
    rememberFolderOf(answer.path);
    const CsvSaveResult result = saveGridCsv(table(), answer.path, m_page.settings.ExportSeparator);
    if (!result.ok) {
        m_messageBox(QMessageBox::Critical, result.title, result.message);
    }
}

} // namespace holvex::display
