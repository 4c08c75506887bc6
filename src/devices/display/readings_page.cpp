#include "devices/display/readings_page.h"

#include "bus/run_state.h"
#include "devices/display/display_page.h"
#include "devices/display/display_table.h"
#include "devices/display/display_tables.h"
#include "devices/display/readings_table.h"
#include "lang/caption_table.h"
#include "lang/caption_view.h"
#include "lang/message_language.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace holvex::display {

namespace {

QPushButton* makeButton(const char* name, const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QCheckBox* makeBox(const char* name, const char* text, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

constexpr const char* kMonthChoices[] = {"ALL", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Checking one box clears the other, clearing one checks the other.
void makeExclusive(QCheckBox* one, QCheckBox* other) {
    QObject::connect(one, &QCheckBox::toggled, other, [other](bool ticked) {
        const QSignalBlocker blocker(other);
        other->setChecked(!ticked);
    });
}

} // namespace

ReadingsPage::ReadingsPage(const PageContext& context, DisplayTables& tables, QWidget* parent)
    : QWidget(parent), m_page(context), m_tables(tables) {
    setObjectName(QStringLiteral("ReadingsPage"));
    m_saveDialog = [this](const CsvFileDialogRequest& request) {
        return runCsvSaveDialog(this, request);
    };
    m_messageBox = [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        QMessageBox box(icon, title, text, QMessageBox::Ok, this);
        box.exec();
    };

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("Grid_historical"));
    m_view->setModel(&m_tables.readings());
    m_view->verticalHeader()->setVisible(false);

    m_fromDisplay = makeButton("Butt_hist_from_display", "Data from display window", this);
    m_history = makeButton("Butt_hist_get", "Get historical values", this);
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("Combo_hist_month"));
    for (const char* month : kMonthChoices) {
        m_month->addItem(QString::fromLatin1(month));
    }
    m_readMeters = makeButton("Butt_hist_read_meters", "Read meters", this);
    m_addRow = makeButton("Butt_hist_add_row", "Add row", this);
    m_deleteRow = makeButton("Butt_hist_delete_row", "Delete row", this);
    m_clear = makeButton("Butt_hist_clear", "Clear table", this);
    m_sort = makeButton("Butt_hist_sort", "Sort table", this);
    m_byAddress = makeBox("Check_hist_by_address", "by address", this);
    m_byUserNumber = makeBox("Check_hist_by_user_number", "by user number", this);
    m_byAddress->setChecked(true);
    makeExclusive(m_byAddress, m_byUserNumber);
    makeExclusive(m_byUserNumber, m_byAddress);
    m_export = makeButton("Butt_hist_export", "Export", this);

    auto* side = new QGridLayout;
    side->addWidget(m_fromDisplay, 0, 0, 1, 2);
    side->addWidget(m_history, 1, 0);
    side->addWidget(m_month, 1, 1);
    side->addWidget(m_readMeters, 2, 0, 1, 2);
    side->addWidget(m_sort, 3, 0, 2, 1);
    side->addWidget(m_byAddress, 3, 1);
    side->addWidget(m_byUserNumber, 4, 1);
    side->setRowStretch(5, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addLayout(side);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_clear, m_addRow, m_deleteRow, m_export}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { m_currentRow = current.isValid() ? current.row() + 1 : 0; });
    connect(m_fromDisplay, &QPushButton::clicked, this, &ReadingsPage::Butt_from_displayClick);
    connect(m_history, &QPushButton::clicked, this, [this] { emit historyRequested(month()); });
    connect(m_readMeters, &QPushButton::clicked, this, &ReadingsPage::readMetersRequested);
    connect(m_addRow, &QPushButton::clicked, this, &ReadingsPage::Butt_add_rowClick);
    connect(m_deleteRow, &QPushButton::clicked, this, &ReadingsPage::Butt_delete_rowClick);
    connect(m_clear, &QPushButton::clicked, this, &ReadingsPage::Butt_clear_tableClick);
    connect(m_sort, &QPushButton::clicked, this, &ReadingsPage::Butt_sortClick);
    connect(m_export, &QPushButton::clicked, this, &ReadingsPage::Butt_exportClick);

    addCaptions(m_page.captions);
    applyCaptions(this, m_page.captions, m_page.language.ticked());
}

void ReadingsPage::addCaptions(CaptionTable& captions) {
    captions.add(QStringLiteral("Butt_hist_get"), QStringLiteral("Get historical values"),
                 QStringLiteral("Acquisisci solo storico"));
    captions.add(QStringLiteral("Butt_hist_sort"), QStringLiteral("Sort table"),
                 QStringLiteral("Ordina tabella"));
    captions.add(QStringLiteral("Check_hist_by_user_number"), QStringLiteral("by user number"),
                 QStringLiteral("Per numero utente"));
    captions.add(QStringLiteral("Butt_hist_read_meters"), QStringLiteral("Read meters"),
                 QStringLiteral("Aggiorna display"));
}

StringGridModel& ReadingsPage::table() {
    return m_tables.readings();
}

int ReadingsPage::month() const {
    return std::max(0, m_month->currentIndex());
}

void ReadingsPage::setHistoryRunning(bool running) {
    m_export->setEnabled(!running);
}

void ReadingsPage::Butt_from_displayClick() {
    copyDisplayToReadings(m_tables.display(), table());
}

void ReadingsPage::Butt_add_rowClick() {
    addDisplayRow(table());
}

void ReadingsPage::Butt_delete_rowClick() {
    deleteDisplayRow(table(), m_currentRow);
}

void ReadingsPage::Butt_clear_tableClick() {
    clearDisplayTable(table());
}

void ReadingsPage::Butt_sortClick() {
    if (m_byAddress->isChecked()) {
        sortReadings(table(), ReadingsSortKey::Address);
    } else if (m_byUserNumber->isChecked()) {
        sortReadings(table(), ReadingsSortKey::UserNumber);
    }
}

void ReadingsPage::Butt_exportClick() {
    CsvFileDialogRequest request;
    request.folder = m_page.run.LastDirectory;
    request.filter = DisplayPage::kSaveFilter;
    request.proposedName = kReadingsTableCsvName;
    request.defaultSuffix = QStringLiteral("csv");
    const CsvFileDialogAnswer answer = m_saveDialog(request);
    if (!answer.shown) {
        m_messageBox(QMessageBox::Critical, kCsvSaveErrorTitle, kCsvSaveDialogMessage);
        return;
    }
    if (answer.path.isEmpty()) {
        return;
    }
    m_page.run.LastDirectory = QFileInfo(answer.path).absolutePath();
    const CsvSaveResult result =
        saveGridCsvWithHeading(table(), answer.path, m_page.settings.ExportSeparator);
    if (!result.ok) {
        m_messageBox(QMessageBox::Critical, result.title, result.message);
    }
}

} // namespace holvex::display
