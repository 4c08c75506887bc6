#include "devices/receiver/receiver_page.h"

#include "bus/run_state.h"
#include "devices/display/display_table_view.h"
#include "devices/receiver/receiver_table.h"
#include "devices/receiver/settings_lines.h"
#include "lang/message_language.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace holvex::receiver {

namespace {

const QString kApplicationTitle = QStringLiteral("Holvex");
const QString kSaveFilter = QStringLiteral("CSV files (*.csv)");
const QString kOpenFilter = QStringLiteral("CSV (*.csv)");
const QString kAcquireCaption = QStringLiteral("Acquire RF meters");
const QString kStopAcquireCaption = QStringLiteral("Stop acquire");
const QString kProgramCaption = QStringLiteral("Program Ravik-Q");
const QString kStopProgramCaption = QStringLiteral("Stop programming");
constexpr int kKeyFieldLength = 50;

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

QCheckBox* makeCheck(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

QComboBox* makeChoice(const QString& name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

// Column widths of the receiver table: the telegram is long, the IDs and times medium.
int receiverColumnWidth(int column) {
    switch (column) {
    case 0:
    case 7:
        return 84;
    case 6:
        return 110;
    case 8:
        return 320;
    case 9:
        return 130;
    default:
        return 64;
    }
}

} // namespace

ReceiverPage::ReceiverPage(const PageContext& context, StringGridModel& table, const StringGridModel& meters,
                           QWidget* parent)
    : QWidget(parent), m_page(context), m_table(table), m_meters(meters) {
    setObjectName(QStringLiteral("ReceiverPage"));
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

    m_view = new display::DisplayTableView(this);
    m_view->setObjectName(QStringLiteral("Grid_ravik"));
    m_view->setKeyFilter(&receiverCellAccepts);
    m_view->setGridModel(&m_table);
    for (int c = 0; c < m_table.gridColumnCount(); ++c) {
        m_view->setColumnWidth(c, receiverColumnWidth(c));
    }
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);

    m_getFromMeters =
        makeButton(QStringLiteral("Butt_ravik_get_mbus"), QStringLiteral("Get from m-bus table"), this);
    m_acquire = makeButton(QStringLiteral("Butt_ravik_acquire"), kAcquireCaption, this);
    m_excludeIdentical =
        makeCheck(QStringLiteral("Check_ravik_exclude"), QStringLiteral("Exclude identical"), this);
    m_upToV301f = makeCheck(QStringLiteral("Check_ravik_v301f"), QStringLiteral("up to v3.01f"), this);
    m_bind = makeButton(QStringLiteral("Butt_ravik_bind"), QStringLiteral("Bind selected"), this);
    m_debind = makeButton(QStringLiteral("Butt_ravik_debind"), QStringLiteral("De-bind selected"), this);

    auto* tableButtons = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{m_getFromMeters, m_acquire, m_excludeIdentical,
                                                            m_upToV301f, m_bind, m_debind}) {
        tableButtons->addWidget(control);
    }
    tableButtons->addStretch(1);

    auto* side = new QVBoxLayout;
    side->addWidget(buildKeyBox());
    side->addWidget(buildProgramBox());
    side->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildSettings());
    layout->addLayout(middle, 1);
    layout->addLayout(tableButtons);

    buildContextMenu();
    connectControls();
    m_addressLabel->setText(addressLabel(QString()));
    m_idLabel->setText(idLabel(QString()));
}

QWidget* ReceiverPage::buildSettings() {
    auto* group = new QGroupBox(QStringLiteral("   Ravik-Q settings   "), this);
    group->setObjectName(QStringLiteral("Group_ravik_settings"));
    m_date = makeButton(QStringLiteral("Butt_ravik_date"), QStringLiteral("Date"), group);
    m_time = makeButton(QStringLiteral("Butt_ravik_time"), QStringLiteral("Time"), group);
    m_interval = new QSpinBox(group);
    m_interval->setObjectName(QStringLiteral("Edit_ravik_interval"));
    m_interval->setRange(1, 240);
    m_interval->setValue(1);
    m_setInterval = makeButton(QStringLiteral("Butt_ravik_interval"), QStringLiteral("Set"), group);
    m_mode = makeChoice(QStringLiteral("Combo_ravik_mode"), radioModes(), group);
    m_setMode = makeButton(QStringLiteral("Butt_ravik_mode"), QStringLiteral("Set"), group);
    m_role = makeChoice(QStringLiteral("Combo_ravik_role"), roles(), group);
    m_setRole = makeButton(QStringLiteral("Butt_ravik_role"), QStringLiteral("Set"), group);
    m_work = makeChoice(QStringLiteral("Combo_ravik_work"), workModes(), group);
    m_work->setEditable(true); // "Install" is taken when typed
    m_setWork = makeButton(QStringLiteral("Butt_ravik_work"), QStringLiteral("Set"), group);
    m_option = makeChoice(QStringLiteral("Combo_ravik_option"), options(), group);
    m_optionValue = makeCheck(QStringLiteral("Check_ravik_option"), QStringLiteral("0/1"), group);
    m_setOption = makeButton(QStringLiteral("Butt_ravik_option"), QStringLiteral("Set"), group);
    m_servingInfo = makeButton(QStringLiteral("Butt_ravik_serv"), QStringLiteral("Serving info"), group);
    m_wirelessInfo = makeButton(QStringLiteral("Butt_ravik_wsta"), QStringLiteral("Wireless info"), group);

    auto* grid = new QGridLayout(group);
    grid->addWidget(m_date, 0, 0);
    grid->addWidget(m_time, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Save interval"), group), 0, 1);
    grid->addWidget(m_interval, 0, 2);
    grid->addWidget(m_setInterval, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("WM-bus "), group), 1, 1);
    grid->addWidget(m_mode, 1, 2);
    grid->addWidget(m_setMode, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("WM-bus type"), group), 0, 4);
    grid->addWidget(m_role, 0, 5);
    grid->addWidget(m_setRole, 0, 6);
    grid->addWidget(new QLabel(QStringLiteral("WM-bus work"), group), 1, 4);
    grid->addWidget(m_work, 1, 5);
    grid->addWidget(m_setWork, 1, 6);
    grid->addWidget(m_option, 0, 7);
    grid->addWidget(m_optionValue, 0, 8);
    grid->addWidget(m_setOption, 0, 9);
    grid->addWidget(m_servingInfo, 1, 7);
    grid->addWidget(m_wirelessInfo, 1, 8, 1, 2);
    grid->setColumnStretch(10, 1);
    return group;
}

QWidget* ReceiverPage::buildKeyBox() {
    auto* group = new QGroupBox(QStringLiteral("   AES-128 Encryption key   "), this);
    group->setObjectName(QStringLiteral("Group_ravik_key"));
    m_keyGroup = group;
    m_key = new QLineEdit(group);
    m_key->setObjectName(QStringLiteral("Edit_ravik_key"));
    m_key->setMaxLength(kKeyFieldLength);
    m_ascii = makeCheck(QStringLiteral("Check_ravik_ascii"), QStringLiteral("ASCII"), group);
    m_hex = makeCheck(QStringLiteral("Check_ravik_hex"), QStringLiteral("HEX"), group);
    m_hex->setChecked(true);
    m_targetAddress = makeCheck(QStringLiteral("Check_ravik_address"), QStringLiteral("Address"), group);
    m_targetId = makeCheck(QStringLiteral("Check_ravik_use_id"), QStringLiteral("Use ID"), group);
    m_oneKeyAll = makeCheck(QStringLiteral("Check_ravik_one_key"), QStringLiteral("One key all"), group);
    m_addressLabel = new QLabel(group);
    m_addressLabel->setObjectName(QStringLiteral("Label_ravik_address"));
    m_idLabel = new QLabel(group);
    m_idLabel->setObjectName(QStringLiteral("Label_ravik_id"));
    m_saveKey = makeButton(QStringLiteral("Butt_ravik_save_key"), QStringLiteral("Save in Ravik"), group);

    auto* grid = new QGridLayout(group);
    grid->addWidget(m_key, 0, 0, 1, 3);
    grid->addWidget(m_ascii, 1, 0);
    grid->addWidget(m_hex, 1, 1);
    grid->addWidget(m_targetAddress, 2, 0);
    grid->addWidget(m_targetId, 2, 1);
    grid->addWidget(m_oneKeyAll, 2, 2);
    grid->addWidget(m_addressLabel, 3, 0, 1, 2);
    grid->addWidget(m_idLabel, 4, 0, 1, 2);
    grid->addWidget(m_saveKey, 4, 2);
    return group;
}

QWidget* ReceiverPage::buildProgramBox() {
    auto* group = new QGroupBox(QStringLiteral("   Programming   "), this);
    group->setObjectName(QStringLiteral("Group_ravik_program"));
    m_programGroup = group;
    auto* layout = new QVBoxLayout(group);
    const QStringList names = {QStringLiteral("Check_ravik_activate"), QStringLiteral("Check_ravik_unit"),
                               QStringLiteral("Check_ravik_key"), QStringLiteral("Check_ravik_delete")};
    const QStringList texts = {QStringLiteral("Activate selected"), QStringLiteral("Save unit"),
                               QStringLiteral("Save AES-128 key"), QStringLiteral("Delete selected")};
    for (int i = 0; i < kProgramOptionCount; ++i) {
        QCheckBox* box = makeCheck(names.at(i), texts.at(i), group);
        m_programOptions.append(box);
        layout->addWidget(box);
    }
    m_mainId = new QRadioButton(QStringLiteral("Main ID"), group);
    m_mainId->setObjectName(QStringLiteral("Radio_ravik_main_id"));
    m_mainId->setChecked(true);
    m_auxId = new QRadioButton(QStringLiteral("Aux ID"), group);
    m_auxId->setObjectName(QStringLiteral("Radio_ravik_aux_id"));
    auto* ids = new QHBoxLayout;
    ids->addWidget(m_mainId);
    ids->addWidget(m_auxId);
    layout->addLayout(ids);
    m_program = makeButton(QStringLiteral("Butt_ravik_program"), kProgramCaption, this);
    layout->addWidget(m_program);
    return group;
}

void ReceiverPage::buildContextMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("Menu_ravik"));
    const auto add = [this](const QString& text, void (ReceiverPage::*action)()) {
        m_menu->addAction(text, this, action);
    };
    add(QStringLiteral("Select All"), &ReceiverPage::selectAll);
    add(QStringLiteral("Deselect All"), &ReceiverPage::deselectAll);
    add(QStringLiteral("Add row"), &ReceiverPage::addRow);
    add(QStringLiteral("Delete Row"), &ReceiverPage::deleteRow);
    add(QStringLiteral("Clear Table"), &ReceiverPage::clearTable);
    add(QStringLiteral("Export"), &ReceiverPage::exportTable);
    add(QStringLiteral("Import"), &ReceiverPage::importTable);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Full read"), this, [this] {
        if (m_currentRow >= 1 && m_currentRow < m_table.gridRowCount()) {
            emit fullReadRequested(m_currentRow);
        }
    });
}

void ReceiverPage::connectControls() {
    connect(m_view, &display::DisplayTableView::cellSelected, this, &ReceiverPage::onCellSelected);
    connect(m_view, &display::DisplayTableView::boxClicked, this,
            [this](int row) { m_table.toggleMark(row); });
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_view->viewport()->mapToGlobal(at)); });
    connect(m_getFromMeters, &QPushButton::clicked, this, &ReceiverPage::getFromMeters);

    const QList<std::pair<QPushButton*, void (ReceiverPage::*)()>> requests = {
        {m_date, &ReceiverPage::dateRequested},
        {m_time, &ReceiverPage::timeRequested},
        {m_setInterval, &ReceiverPage::saveIntervalRequested},
        {m_setMode, &ReceiverPage::modeRequested},
        {m_setRole, &ReceiverPage::roleRequested},
        {m_setWork, &ReceiverPage::workRequested},
        {m_setOption, &ReceiverPage::optionRequested},
        {m_servingInfo, &ReceiverPage::servingInfoRequested},
        {m_wirelessInfo, &ReceiverPage::wirelessInfoRequested},
        {m_acquire, &ReceiverPage::acquireRequested},
        {m_bind, &ReceiverPage::bindRequested},
        {m_debind, &ReceiverPage::debindRequested},
        {m_saveKey, &ReceiverPage::saveKeyRequested},
        {m_program, &ReceiverPage::programRequested},
    };
    for (const auto& [button, signal] : requests) {
        connect(button, &QPushButton::clicked, this, signal);
    }

    connect(m_ascii, &QCheckBox::toggled, this, [this](bool ticked) { keepOneEntryMode(m_ascii, ticked); });
    connect(m_hex, &QCheckBox::toggled, this, [this](bool ticked) { keepOneEntryMode(m_hex, ticked); });
    for (QCheckBox* box : {m_targetAddress, m_targetId, m_oneKeyAll}) {
        connect(box, &QCheckBox::toggled, this, &ReceiverPage::keyBoxEdited);
    }
    connect(m_key, &QLineEdit::textChanged, this, &ReceiverPage::keyBoxEdited);

    for (int i = 0; i < kProgramOptionCount; ++i) {
        connect(m_programOptions.at(i), &QCheckBox::clicked, this,
                [this, i](bool ticked) { emit programOptionToggled(static_cast<ProgramOption>(i), ticked); });
    }
    connect(m_auxId, &QRadioButton::toggled, this, [this](bool aux) {
        emit idSourceChanged(aux ? ActivationIdSource::AuxId : ActivationIdSource::MainId);
    });
}

void ReceiverPage::keepOneEntryMode(QCheckBox* changed, bool ticked) {
    // Exactly one entry mode is always ticked: ticking one clears the other, clearing one ticks the other.
    QCheckBox* other = changed == m_ascii ? m_hex : m_ascii;
    if (other->isChecked() == ticked) {
        other->setChecked(!ticked);
    }
    emit keyBoxEdited();
}

QCheckBox* ReceiverPage::programOptionBox(ProgramOption option) const {
    return m_programOptions.value(static_cast<int>(option));
}

QString ReceiverPage::saveIntervalText() const {
    return m_interval->text();
}

KeyBoxState ReceiverPage::keyBox() const {
    KeyBoxState state;
    state.text = m_key->text();
    state.entry = m_ascii->isChecked() ? KeyEntry::Ascii : KeyEntry::Hex;
    state.targets.address = m_targetAddress->isChecked();
    state.targets.useId = m_targetId->isChecked();
    state.targets.oneKeyAll = m_oneKeyAll->isChecked();
    return state;
}

ActivationIdSource ReceiverPage::idSource() const {
    return m_auxId->isChecked() ? ActivationIdSource::AuxId : ActivationIdSource::MainId;
}

std::optional<ReceiverRow> ReceiverPage::currentReceiverRow() const {
    return receiverRowAt(m_table, m_currentRow);
}

void ReceiverPage::onCellSelected(int row, int column) {
    Q_UNUSED(column);
    m_currentRow = row;
    const std::optional<ReceiverRow> cells = receiverRowAt(m_table, row);
    m_addressLabel->setText(addressLabel(cells ? cells->address : QString()));
    m_idLabel->setText(idLabel(cells ? cells->id : QString()));
}

void ReceiverPage::selectRow(int row) {
    if (row >= 1 && row < m_table.gridRowCount()) {
        m_view->setCurrentIndex(m_table.index(row - 1, 0));
        onCellSelected(row, 0);
    }
}

void ReceiverPage::setLocked(const QList<QPointer<QWidget>>& controls, bool locked) {
    for (const QPointer<QWidget>& control : controls) {
        if (control) {
            control->setEnabled(!locked);
        }
    }
}

void ReceiverPage::setAcquireRunning(bool running) {
    m_acquire->setText(running ? kStopAcquireCaption : kAcquireCaption);
    setLocked({m_date, m_time, m_setInterval, m_setMode, m_setRole, m_setWork, m_setOption, m_servingInfo,
               m_wirelessInfo, m_bind, m_debind, m_keyGroup, m_programGroup, m_program},
              running);
}

void ReceiverPage::setProgramRunning(bool running) {
    m_program->setText(running ? kStopProgramCaption : kProgramCaption);
    setLocked({m_date, m_time, m_setInterval, m_setMode, m_setRole, m_setWork, m_setOption, m_servingInfo,
               m_wirelessInfo, m_bind, m_debind, m_acquire, m_keyGroup},
              running);
}

void ReceiverPage::showProgramOptions(const ProgramOptions& options) {
    for (int i = 0; i < kProgramOptionCount; ++i) {
        m_programOptions.at(i)->setChecked(options.isTicked(static_cast<ProgramOption>(i)));
    }
}

void ReceiverPage::showKeyBox(const KeyBoxState& keyBox) {
    m_oneKeyAll->setChecked(keyBox.targets.oneKeyAll);
}

void ReceiverPage::getFromMeters() {
    fillReceiverTable(m_table, m_meters);
}

void ReceiverPage::selectAll() {
    setAllReceiverRowsTicked(m_table, true);
}

void ReceiverPage::deselectAll() {
    setAllReceiverRowsTicked(m_table, false);
}

void ReceiverPage::addRow() {
    addReceiverRow(m_table);
}

void ReceiverPage::deleteRow() {
    deleteReceiverRow(m_table, m_currentRow);
}

void ReceiverPage::clearTable() {
    clearReceiverTable(m_table);
}

void ReceiverPage::rememberFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!folder.isEmpty()) {
        m_page.run.LastDirectory = folder;
    }
}

void ReceiverPage::exportTable() {
    CsvFileDialogRequest request;
    request.folder = m_page.run.LastDirectory;
    request.filter = kSaveFilter;
    request.proposedName = kReceiverTableCsvName;
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
    const CsvSaveResult result = saveGridCsv(m_table, answer.path, m_page.settings.ExportSeparator);
    if (!result.ok) {
        m_messageBox(QMessageBox::Critical, result.title, result.message);
    }
}

void ReceiverPage::importTable() {
    CsvFileDialogRequest request;
    request.folder = m_page.run.LastDirectory;
    request.filter = kOpenFilter;
    const CsvFileDialogAnswer answer = m_openDialog(request);
    if (!answer.shown || answer.path.isEmpty()) {
        return;
    }
    rememberFolderOf(answer.path);
    const CsvLoadResult result =
        importReceiverTable(answer.path, m_table, m_page.settings.ExportSeparator, m_page.language.italian());
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

} // namespace holvex::receiver
