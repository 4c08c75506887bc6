#include "devices/display/display_commands_widget.h"

#include "devices/display/display_commands.h"
#include "lang/caption_table.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
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

} // namespace

DisplayCommandsWidget::DisplayCommandsWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel_lumet_commands"));
    m_date = makeButton("Butt_lumet_date", "Date", this);
    m_time = makeButton("Butt_lumet_time", "Time", this);
    // Kept for the operator's manual procedures; not shown.
    m_lock = makeButton("Butt_lumet_lock", "Lock", this);
    m_lock->setVisible(false);

    m_refreshGroup = new QGroupBox(QStringLiteral("Set display refresh time"), this);
    m_refreshGroup->setObjectName(QStringLiteral("Group_lumet_refresh"));
    m_refreshBox = new QSpinBox(m_refreshGroup);
    m_refreshBox->setObjectName(QStringLiteral("UD_refresh"));
    m_refreshBox->setRange(kRefreshTimeRange.minimum, kRefreshTimeRange.maximum);
    m_refreshBox->setValue(kRefreshTimeRange.initial);
    m_refresh = makeButton("Butt_lumet_refresh", "Set refresh time", m_refreshGroup);
    auto* refreshRow = new QHBoxLayout(m_refreshGroup);
    refreshRow->addWidget(m_refreshBox);
    refreshRow->addWidget(m_refresh);

    m_sortTable = makeButton("Butt_lumet_sort_table", "Create sort table", this);
    m_sort = makeButton("Butt_lumet_sort", "Sort", this);
    m_byAddress = makeBox("Check_by_address", "by address", this);
    m_byUserNumber = makeBox("Check_by_user_number", "by user numb.", this);

    auto* clock = new QHBoxLayout;
    clock->addWidget(m_date);
    clock->addWidget(m_time);
    clock->addWidget(m_lock);
    auto* sorting = new QGridLayout;
    sorting->addWidget(m_sortTable, 0, 0, 1, 2);
    sorting->addWidget(m_sort, 1, 0, 2, 1);
    sorting->addWidget(m_byAddress, 1, 1);
    sorting->addWidget(m_byUserNumber, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(clock);
    layout->addWidget(m_refreshGroup);
    layout->addLayout(sorting);

    connect(m_date, &QPushButton::clicked, this, &DisplayCommandsWidget::dateRequested);
    connect(m_time, &QPushButton::clicked, this, &DisplayCommandsWidget::timeRequested);
    connect(m_lock, &QPushButton::clicked, this, &DisplayCommandsWidget::lockRequested);
    connect(m_refresh, &QPushButton::clicked, this, &DisplayCommandsWidget::refreshRequested);
    connect(m_sortTable, &QPushButton::clicked, this, &DisplayCommandsWidget::sortTableRequested);
    connect(m_sort, &QPushButton::clicked, this, &DisplayCommandsWidget::sortRequested);
    connect(m_byAddress, &QCheckBox::toggled, this, &DisplayCommandsWidget::Check_by_addressClick);
    connect(m_byUserNumber, &QCheckBox::toggled, this, &DisplayCommandsWidget::Check_by_user_numberClick);
}

void DisplayCommandsWidget::addCaptions(CaptionTable& captions) {
    captions.add(QStringLiteral("Butt_lumet_date"), QStringLiteral("Date"), QStringLiteral("Data"));
    captions.add(QStringLiteral("Butt_lumet_time"), QStringLiteral("Time"), QStringLiteral("Ora"));
    captions.add(QStringLiteral("Group_lumet_refresh"), QStringLiteral("Set display refresh time"),
                 QStringLiteral("Imposta intervallo agg. display"));
    captions.add(QStringLiteral("Butt_lumet_refresh"), QStringLiteral("Set refresh time"),
                 QStringLiteral("Imposta intervallo"));
    captions.add(QStringLiteral("Butt_lumet_sort_table"), QStringLiteral("Create sort table"),
                 QStringLiteral("Crea tabella ordinata"));
    captions.add(QStringLiteral("Butt_lumet_sort"), QStringLiteral("Sort"), QStringLiteral("Ordina"));
    captions.add(QStringLiteral("Check_by_address"), QStringLiteral("by address"),
                 QStringLiteral("Per Indirizzo"));
    captions.add(QStringLiteral("Check_by_user_number"), QStringLiteral("by user numb."),
                 QStringLiteral("Per user numb."));
}

QString DisplayCommandsWidget::refreshText() const {
    return m_refreshBox->cleanText();
}

bool DisplayCommandsWidget::sortByAddress() const {
    return m_byAddress->isChecked();
}

bool DisplayCommandsWidget::sortByUserNumber() const {
    return m_byUserNumber->isChecked();
}

void DisplayCommandsWidget::tickSortByUserNumber() {
    m_byUserNumber->setChecked(true);
}

void DisplayCommandsWidget::Check_by_addressClick(bool ticked) {
    const QSignalBlocker blocker(m_byUserNumber);
    m_byUserNumber->setChecked(!ticked);
}

void DisplayCommandsWidget::Check_by_user_numberClick(bool ticked) {
    const QSignalBlocker blocker(m_byAddress);
    m_byAddress->setChecked(!ticked);
}

void DisplayCommandsWidget::setButtonsEnabled(bool enabled) {
    for (QPushButton* button : {m_date, m_time, m_lock, m_refresh, m_sortTable, m_sort}) {
        button->setEnabled(enabled);
    }
}

} // namespace holvex::display
