#include "meters/page/meters_page.h"

#include "bus/run_state.h"
#include "lang/caption_view.h"
#include "log/log_sink.h"
#include "meters/page/configuration_group_widget.h"
#include "meters/page/meter_table_view.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace holvex {

const QString MetersPage::kSaveFilter = QStringLiteral("CSV files (*.csv)");
const QString MetersPage::kOpenFilter = QStringLiteral("CSV (*.csv)");

namespace {

const QString kApplicationTitle = QStringLiteral("Holvex");

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

// Whether an import can read the file at all; checked before the table is cleared so that a wrong choice
// does not cost the operator the table on screen.
bool canReadCsvFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() <= kMaxCsvFileBytes;
}

} // namespace

MetersPage::MetersPage(const PageContext& context, QWidget* parent)
    : QWidget(parent), m_page(context), m_run(context.run), m_settings(context.settings) {
    setObjectName(QStringLiteral("MetersPage"));
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
    m_popup = [](QMenu* menu, const QPoint& globalPos) {
        menu->popup(globalPos);
    };

    m_table = new StringGridModel(kMeterFixedColumns + m_run.ExtraTitleCount, kMeterTableMaxRows, this);
    buildControls();
    buildContextMenu();
    addCaptions();
    connectControls();

    m_page.registerDeviceSettingControl(m_configuration->group());
    m_page.registerDeviceSettingControl(m_broadcast);
    m_page.registerDeviceSettingControl(m_idLabel);
    m_page.registerDeviceSettingControl(m_addressLabel);

    const TickedLanguage language = m_page.language.ticked();
    applyCaptions(this, m_page.captions, language);
    applyHeadings(language);
    refreshLabels();
}

void MetersPage::buildControls() {
    m_idLabel = new QLabel(this);
    m_idLabel->setObjectName(QStringLiteral("Label_selected_id"));
    m_addressLabel = new QLabel(this);
    m_addressLabel->setObjectName(QStringLiteral("Label_selected_addr"));
    // Room for the longest texts, so the row above the table does not shift with every selection.
    m_idLabel->setMinimumWidth(m_idLabel->fontMetrics().horizontalAdvance(QStringLiteral("ID:00000000  ")));
    m_addressLabel->setMinimumWidth(
        m_addressLabel->fontMetrics().horizontalAdvance(QStringLiteral("Addr.:00000000  ")));
    m_broadcast = new QCheckBox(QStringLiteral("work on broadcast (0xFE)"), this);
    m_broadcast->setObjectName(QStringLiteral("Check_broadcast"));
    m_sndNke = new QCheckBox(QStringLiteral("Use SND_NKE"), this);
    m_sndNke->setObjectName(QStringLiteral("Check_snd_nke"));
    m_sndNke->setChecked(false);

    m_view = new MeterTableView(this);
    m_view->setGridModel(m_table);

    m_readAll = makeButton(QStringLiteral("Butt_read_all"), QStringLiteral("Read all meters"), this);
    m_readSelected = makeButton(QStringLiteral("Butt_read_selected"), QStringLiteral("Read selected"), this);
    m_clear = makeButton(QStringLiteral("Butt_clear_table"), QStringLiteral("Clear table"), this);
    m_load = makeButton(QStringLiteral("Butt_load_table"), QStringLiteral("Load"), this);
    m_save = makeButton(QStringLiteral("Butt_save_table"), QStringLiteral("Save / Export"), this);

    // Holds the selected meter's counter for the relay command; the operator never sees it.
    m_relayCounter = new QLineEdit(this);
    m_relayCounter->setObjectName(QStringLiteral("Edit_liter_rel"));
    m_relayCounter->setVisible(false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_idLabel);
    top->addSpacing(16);
    top->addWidget(m_addressLabel);
    top->addStretch(1);
    top->addWidget(m_broadcast);
    top->addWidget(m_sndNke);

    m_configuration = new ConfigurationGroupWidget(this);
    m_configuration->setRelayCounterSource([this] { return relayCounter(); });
    m_sideArea = new QVBoxLayout;
    m_sideArea->addWidget(m_configuration);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addLayout(m_sideArea);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_readAll);
    buttons->addWidget(m_readSelected);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_load);
    buttons->addWidget(m_save);
    buttons->addStretch(1);
    buttons->addWidget(m_relayCounter);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
}

void MetersPage::buildContextMenu() {
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("Popup_bmeters"));
    const QStringList texts{QStringLiteral("Read selected"),   QStringLiteral("Read all meters"),
                            QStringLiteral("Full read"),       QStringLiteral("Set medium"),
                            QStringLiteral("Set unit"),        QStringLiteral("Set baud"),
                            QStringLiteral("Set pulse width"), QStringLiteral("Clear table"),
                            QStringLiteral("Save/Export"),     QStringLiteral("Delete selected row")};
    for (const QString& text : texts) {
        m_contextActions.append(m_contextMenu->addAction(text));
    }
}

void MetersPage::addCaptions() {
    CaptionTable& captions = m_page.captions;
    captions.add(QStringLiteral("Butt_read_all"), QStringLiteral("Read all meters"),
                 QStringLiteral("Leggi tutti"));
    captions.add(QStringLiteral("Butt_read_selected"), QStringLiteral("Read selected"),
                 QStringLiteral("Leggi selezionati"));
    captions.add(QStringLiteral("Butt_clear_table"), QStringLiteral("Clear table"),
                 QStringLiteral("Cancella tabella"));
    captions.add(QStringLiteral("Butt_load_table"), QStringLiteral("Load"), QStringLiteral("Carica"));
    captions.add(QStringLiteral("Butt_save_table"), QStringLiteral("Save / Export"),
                 QStringLiteral("Salva / Esporta"));
    captions.add(QStringLiteral("Check_broadcast"), QStringLiteral("work on broadcast (0xFE)"),
                 QStringLiteral("lavora in broadcast (0xFE)"));
    captions.addEnglishOnly(QStringLiteral("Check_snd_nke"), QStringLiteral("Use SND_NKE"));
    ConfigurationGroupWidget::addCaptions(captions);
}

void MetersPage::connectControls() {
    connect(m_view, &MeterTableView::cellSelected, this, &MetersPage::Grid_bmetersSelectCell);
    connect(m_view, &MeterTableView::mouseReleasedOnRow, this, &MetersPage::Grid_bmetersMouseUp);
    connect(m_view, &MeterTableView::tableDoubleClicked, this, &MetersPage::Grid_bmetersDblClick);
    connect(m_view, &MeterTableView::contextMenuRequestedAt, this, &MetersPage::Grid_bmetersContextMenu);

    connect(m_readAll, &QPushButton::clicked, this, &MetersPage::readAllRequested);
    connect(m_readSelected, &QPushButton::clicked, this, &MetersPage::readSelectedRequested);
    connect(m_clear, &QPushButton::clicked, this, &MetersPage::Butt_clear_tableClick);
    connect(m_load, &QPushButton::clicked, this, &MetersPage::Butt_loadClick);
    connect(m_save, &QPushButton::clicked, this, &MetersPage::Butt_save_exportClick);

    connect(m_contextActions[ReadSelectedEntry], &QAction::triggered, this,
            &MetersPage::readSelectedRequested);
    connect(m_contextActions[ReadAllEntry], &QAction::triggered, this, &MetersPage::readAllRequested);
    connect(m_contextActions[FullReadEntry], &QAction::triggered, this, &MetersPage::Menu_full_readClick);
    // The configuration entries press the group's buttons, so a locked group refuses them the same way.
    const auto routeToGroup = [this](ContextEntry entry, ConfigurationCommand command) {
        connect(m_contextActions[entry], &QAction::triggered, m_configuration,
                [this, command] { m_configuration->requestCommand(command); });
    };
    routeToGroup(SetMediumEntry, ConfigurationCommand::Medium);
    routeToGroup(SetUnitEntry, ConfigurationCommand::Unit);
    routeToGroup(SetBaudEntry, ConfigurationCommand::Baud);
    routeToGroup(SetPulseWidthEntry, ConfigurationCommand::PulseWidth);
    connect(m_contextActions[ClearTableEntry], &QAction::triggered, this, &MetersPage::Butt_clear_tableClick);
    connect(m_contextActions[SaveExportEntry], &QAction::triggered, this, &MetersPage::Butt_save_exportClick);
    connect(m_contextActions[DeleteRowEntry], &QAction::triggered, this, &MetersPage::Menu_delete_rowClick);
}

bool MetersPage::useSndNke() const {
    return m_sndNke->isChecked();
}

bool MetersPage::broadcast() const {
    return m_broadcast->isChecked();
}

QString MetersPage::relayCounter() const {
    return m_relayCounter->text();
}

QAction* MetersPage::contextAction(ContextEntry entry) const {
    return (entry >= 0 && entry < m_contextActions.size()) ? m_contextActions[entry] : nullptr;
}

void MetersPage::applyHeadings(TickedLanguage language) {
    applyMeterTableHeadings(*m_table, language, m_run);
}

void MetersPage::onExtraTitlesChanged() {
    applyHeadings(m_page.language.ticked());
}

void MetersPage::refreshLabels() {
    m_idLabel->setText(selectedIdLabel(m_run));
    m_addressLabel->setText(selectedAddressLabel(m_run));
}

void MetersPage::showSelectionTexts(const CellSelection& selection) {
    refreshLabels();
    if (selection.relayCounterSet) {
        m_relayCounter->setText(selection.relayCounter);
    }
}

void MetersPage::showCellSelection(const CellSelection& selection) {
    showSelectionTexts(selection);
    m_view->setCurrentGridRow(selection.row);
}

void MetersPage::focusRowByAddress() {
    showCellSelection(holvex::focusRowByAddress(*m_table, m_run));
}

void MetersPage::Grid_bmetersSelectCell(int gridRow) {
    showSelectionTexts(selectCell(*m_table, gridRow, m_run));
}

void MetersPage::Grid_bmetersMouseUp(int gridRow, bool ctrlHeld) {
    applyTableMouseRelease(*m_table, m_run, gridRow, ctrlHeld);
    m_view->viewport()->update();
}

void MetersPage::Grid_bmetersDblClick() {
    noteTableDoubleClick(m_run);
}

void MetersPage::Grid_bmetersContextMenu(const QPoint& globalPos) {
    m_view->viewport()->update();
    QWidget* top = window();
    top->raise();
    top->activateWindow();
    m_popup(m_contextMenu, globalPos);
}

void MetersPage::reselectCurrentRow() {
    Grid_bmetersSelectCell(m_view->currentGridRow());
}

void MetersPage::Butt_clear_tableClick() {
    clearMeterTable(*m_table);
    reselectCurrentRow();
}

void MetersPage::Menu_delete_rowClick() {
    try {
        if (deleteSelectedRow(*m_table, m_run)) {
            reselectCurrentRow();
        }
    } catch (const std::exception& error) {
        m_page.log.logLine(QStringLiteral("Exception deleting row - ") +
                           QString::fromLocal8Bit(error.what()));
    }
}

void MetersPage::Menu_full_readClick() {
    m_run.FullReadRequested = true;
    emit fullReadRequested();
}

void MetersPage::rememberFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!folder.isEmpty()) {
        m_run.LastDirectory = folder;
    }
}

void MetersPage::showBox(QMessageBox::Icon icon, const QString& title, const QString& text) {
    m_messageBox(icon, title, text);
}

void MetersPage::Butt_save_exportClick() {
    CsvFileDialogRequest request;
    request.folder = m_run.LastDirectory;
    request.filter = kSaveFilter;
    request.proposedName = kMeterTableCsvName;
    request.defaultSuffix = QStringLiteral("csv");
    const CsvFileDialogAnswer answer = m_saveDialog(request);
    if (!answer.shown) {
        showBox(QMessageBox::Critical, kCsvSaveErrorTitle, kCsvSaveDialogMessage);
        return;
    }
    if (answer.path.isEmpty()) {
        return;
    }
    rememberFolderOf(answer.path);
    const CsvSaveResult result =
        saveMeterTableCsv(*m_table, answer.path, m_settings.ExportSeparator, m_settings.DecSeparator);
    if (!result.ok) {
        showBox(QMessageBox::Critical, result.title, result.message);
    }
}

void MetersPage::Butt_loadClick() {
    CsvFileDialogRequest request;
    request.folder = m_run.LastDirectory;
    request.filter = kOpenFilter;
    const CsvFileDialogAnswer answer = m_openDialog(request);
    if (!answer.shown || answer.path.isEmpty()) {
        return;
    }
    rememberFolderOf(answer.path);
    if (!canReadCsvFile(answer.path)) {
        showBox(QMessageBox::Warning, kCsvLoadErrorTitle, kCsvWrongFileMessage);
        return;
    }
    clearMeterTable(*m_table);
    GridCsvLoadOptions options;
    options.fieldLimit = kMeterTableFieldLimit;
    options.separator = m_settings.ExportSeparator;
    options.italian = m_page.language.italian();
    const CsvLoadResult result = loadGridCsv(answer.path, *m_table, options);
    reselectCurrentRow();
    switch (result.outcome) {
    case CsvLoadResult::Outcome::Loaded:
        break;
    case CsvLoadResult::Outcome::Unreadable:
        showBox(QMessageBox::Warning, result.title, result.message);
        break;
    case CsvLoadResult::Outcome::TooManyFields:
        showBox(QMessageBox::NoIcon, kApplicationTitle, result.message);
        break;
    case CsvLoadResult::Outcome::TableFull:
        showBox(QMessageBox::Warning, kApplicationTitle, result.message);
        break;
    }
}

} // namespace holvex
