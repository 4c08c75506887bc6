#include "meters/page/configuration_group_widget.h"

#include "lang/caption_table.h"
#include "settings/key_filter_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace holvex {

namespace {

const char* const kButtonNames[kConfigurationCommandCount] = {
    "Butt_reset_nke", "Butt_set_primary",     "Butt_set_id",          "Butt_set_medium",  "Butt_set_unit",
    "Butt_set_baud",  "Butt_set_pulse_width", "Butt_set_pulse_value", "Butt_set_counter",
};

QPushButton* makeButton(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLabel* makeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A drop-down that also takes typed text, empty until the operator chooses; typed text never becomes an
// entry.
QComboBox* makeBox(const char* name, const QStringList& entries, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(entries);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
    return box;
}

QLineEdit* makeDigitField(const char* name, int maxDigits, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(maxDigits);
    KeyFilter::install(field, KeyFilter::digits());
    return field;
}

QSpinBox* makeSpin(const char* name, int minimum, int maximum, int maxChars, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(minimum, maximum);
    spin->setValue(1);
    // Typing is limited the same way as the spin buttons: digits only, no longer than the largest number.
    if (QLineEdit* edit = spin->findChild<QLineEdit*>()) {
        edit->setMaxLength(maxChars);
        KeyFilter::install(edit, KeyFilter::digits());
    }
    return spin;
}

} // namespace

ConfigurationGroupWidget::ConfigurationGroupWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ConfigurationGroup"));
    buildGroup();
    buildAutoAddressRow();
    connectControls();
}

void ConfigurationGroupWidget::buildGroup() {
    m_group = new QGroupBox(QStringLiteral("   Configuration     "), this);
    m_group->setObjectName(QStringLiteral("Group_config"));

    const QString set = QStringLiteral("Set");
    for (int i = 0; i < kConfigurationCommandCount; ++i) {
        m_buttons[static_cast<size_t>(i)] = makeButton(kButtonNames[i], set, m_group);
    }
    m_buttons[static_cast<size_t>(ConfigurationCommand::Reset)]->setText(QStringLiteral("Reset (SND_NKE)"));
    m_buttons[static_cast<size_t>(ConfigurationCommand::PrimaryAddress)]->setText(QStringLiteral("Set "));

    m_primaryAddress = makeSpin("UD_new_primary", 0, kMaxNewPrimaryAddress, 3, m_group);
    m_newId = makeDigitField("Edit_new_id", kIdDigits, m_group);
    m_medium = makeBox("Combo_medium",
                       {QStringLiteral("Electricity"), QStringLiteral("Water"), QStringLiteral("Hot water"),
                        QStringLiteral("Cold water"), QStringLiteral("H.C.A"), QStringLiteral("Heat meter"),
                        QStringLiteral("Cold meter"), QStringLiteral("Gas"), QStringLiteral("Oil"),
                        QStringLiteral("Pressure"), QStringLiteral("Other")},
                       m_group);
    m_unit = makeBox("Combo_unit",
                     {QStringLiteral("l"), QStringLiteral("Wh"), QStringLiteral("kJ"), QStringLiteral("N/A")},
                     m_group);
    m_constant = makeBox("Combo_constant",
                         {QStringLiteral("0.001"), QStringLiteral("0.01"), QStringLiteral("0.1"),
                          QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("100"),
                          QStringLiteral("1000"), QStringLiteral("10000")},
                         m_group);
    m_constant->lineEdit()->setMaxLength(kConstantChars);
    m_relay = new QCheckBox(QStringLiteral("Relay"), m_group);
    m_relay->setObjectName(QStringLiteral("Check_sorvane"));
    m_baud = makeBox(
        "Combo_baud",
        {QStringLiteral("300"), QStringLiteral("1200"), QStringLiteral("2400"), QStringLiteral("4800")},
        m_group);
    m_baud->lineEdit()->setMaxLength(kBaudDigits);
    KeyFilter::install(m_baud->lineEdit(), KeyFilter::digits());
    m_pulseWidth = makeBox("Combo_pulse_width",
                           {QStringLiteral("5ms"), QStringLiteral("10ms"), QStringLiteral("20ms"),
                            QStringLiteral("50ms"), QStringLiteral("100ms")},
                           m_group);
    m_pulseValue = makeDigitField("Edit_pulse_value", kPulseValueDigits, m_group);
    m_counterType = makeBox("Combo_counter_type",
                            {QStringLiteral("Incremental ID for each input"),
                             QStringLiteral("Single ID for all"), QStringLiteral("Independent addresses")},
                            m_group);

    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(m_unit);
    unitRow->addWidget(m_constant);
    unitRow->addWidget(m_relay);

    auto* grid = new QGridLayout(m_group);
    int row = 0;
    grid->addWidget(commandButton(ConfigurationCommand::Reset), row++, 0, 1, 3);
    const auto addRow = [&](const char* labelName, const QString& text, QWidget* field, QLayout* fields,
                            ConfigurationCommand command) {
        grid->addWidget(makeLabel(labelName, text, m_group), row, 0);
        if (field) {
            grid->addWidget(field, row, 1);
        } else {
            grid->addLayout(fields, row, 1);
        }
        grid->addWidget(commandButton(command), row, 2);
        ++row;
    };
    addRow("Label_new_primary", QStringLiteral("Set Primary Address to:"), m_primaryAddress, nullptr,
           ConfigurationCommand::PrimaryAddress);
    addRow("Label_new_id", QStringLiteral("Set new ID to:"), m_newId, nullptr, ConfigurationCommand::Id);
    addRow("Label_medium", QStringLiteral("Set Medium to:"), m_medium, nullptr, ConfigurationCommand::Medium);
    addRow("Label_unit", QStringLiteral("Set Unit to:"), nullptr, unitRow, ConfigurationCommand::Unit);
    addRow("Label_baud", QStringLiteral("Set baud to:"), m_baud, nullptr, ConfigurationCommand::Baud);
    addRow("Label_pulse_width", QStringLiteral("Set pulse width"), m_pulseWidth, nullptr,
           ConfigurationCommand::PulseWidth);
    addRow("Label_pulse_value", QStringLiteral("Set value in PULSES:"), m_pulseValue, nullptr,
           ConfigurationCommand::PulseValue);
    addRow("Label_counter_type", QStringLiteral("Set counter special:"), m_counterType, nullptr,
           ConfigurationCommand::CounterType);
    grid->setColumnStretch(1, 1);
}

void ConfigurationGroupWidget::buildAutoAddressRow() {
    m_autoAddressStart = makeSpin("UD_auto_address", kMinAutoAddress, kMaxAutoAddress, 3, this);
    m_autoAddress = makeButton("BitBtn22", QStringLiteral("Auto address"), this);

    auto* autoRow = new QHBoxLayout;
    autoRow->addWidget(m_autoAddressStart);
    autoRow->addWidget(m_autoAddress);
    autoRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_group);
    layout->addLayout(autoRow);
    layout->addStretch(1);
}

void ConfigurationGroupWidget::connectControls() {
    for (int i = 0; i < kConfigurationCommandCount; ++i) {
        const auto command = static_cast<ConfigurationCommand>(i);
        connect(m_buttons[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, command] { emit commandRequested(command); });
    }
    connect(m_relay, &QCheckBox::toggled, this, &ConfigurationGroupWidget::Check_sorvaneClick);
    connect(m_autoAddress, &QPushButton::clicked, this, &ConfigurationGroupWidget::autoAddressRequested);
}

void ConfigurationGroupWidget::addCaptions(CaptionTable& table) {
    table.add(QStringLiteral("Group_config"), QStringLiteral("   Advanced Config.   "),
              QStringLiteral("   Config. Avanzata   "));
    table.add(QStringLiteral("Butt_reset_nke"), QStringLiteral("Reset Status"),
              QStringLiteral("Ripristina Stato"));
    table.add(QStringLiteral("Label_baud"), QStringLiteral("Set baud to:"), QStringLiteral("Imp. velocita:"));
    table.add(QStringLiteral("Label_new_id"), QStringLiteral("Set new ID to:"),
              QStringLiteral("Imposta ID:"));
    table.add(QStringLiteral("Label_pulse_width"), QStringLiteral("Set pulse width:"),
              QStringLiteral("Imp. valore:"));
    table.add(QStringLiteral("Label_new_primary"), QStringLiteral("Set Primary Address to:"),
              QStringLiteral("Imposta Ind. Primario:"));
    table.add(QStringLiteral("Label_medium"), QStringLiteral("Set Medium to:"),
              QStringLiteral("Imposta Grandezza:"));
    table.add(QStringLiteral("Label_unit"), QStringLiteral("Set Unit to:"), QStringLiteral("Imposta Unita:"));
    // The primary address, ID, medium, unit, baud and both pulse "Set" buttons follow the language; the
    // counter's keeps its text.
    for (const char* name : {"Butt_set_primary", "Butt_set_id", "Butt_set_medium", "Butt_set_unit",
                             "Butt_set_baud", "Butt_set_pulse_width", "Butt_set_pulse_value"}) {
        table.add(QString::fromLatin1(name), QStringLiteral("Set"), QStringLiteral("Imposta"));
    }
    table.addEnglishOnly(QStringLiteral("Butt_set_counter"), QStringLiteral("Set"));
    table.addEnglishOnly(QStringLiteral("Label_pulse_value"), QStringLiteral("Set value in PULSES:"));
    table.addEnglishOnly(QStringLiteral("Label_counter_type"), QStringLiteral("Set counter special:"));
    table.addEnglishOnly(QStringLiteral("Check_sorvane"), QStringLiteral("Relay"));
    // "Auto address" is left out on purpose: a language switch during a run must not overwrite "Stop addr".
}

ConfigurationInputs ConfigurationGroupWidget::inputs() const {
    ConfigurationInputs in;
    in.newPrimaryAddress = m_primaryAddress->value();
    in.newId = m_newId->text();
    in.medium = m_medium->currentText();
    in.unit = m_unit->currentText();
    in.constant = m_constant->currentText();
    in.relay = m_relay->isChecked();
    in.relayCounter = m_relayCounter ? m_relayCounter() : QString();
    in.baud = m_baud->currentText();
    in.pulseWidth = m_pulseWidth->currentText();
    in.pulseValue = m_pulseValue->text();
    in.counterType = m_counterType->currentText();
    return in;
}

void ConfigurationGroupWidget::requestCommand(ConfigurationCommand command) {
    QPushButton* button = commandButton(command);
    // A group hidden from a user without the right to set devices must not be reachable through the menu.
    if (button && button->isEnabled() && !m_group->isHidden()) {
        button->click();
    }
}

QPushButton* ConfigurationGroupWidget::commandButton(ConfigurationCommand command) const {
    const int index = static_cast<int>(command);
    return (index >= 0 && index < kConfigurationCommandCount) ? m_buttons[static_cast<size_t>(index)]
                                                              : nullptr;
}

void ConfigurationGroupWidget::setConfigurationEnabled(bool enabled) {
    m_group->setEnabled(enabled);
}

bool ConfigurationGroupWidget::configurationEnabled() const {
    return m_group->isEnabled();
}

void ConfigurationGroupWidget::setAutoAddressEnabled(bool enabled) {
    m_autoAddress->setEnabled(enabled);
}

int ConfigurationGroupWidget::autoAddressStart() const {
    return m_autoAddressStart->value();
}

void ConfigurationGroupWidget::showAutoAddressRunning(bool running) {
    m_autoAddress->setText(running ? QStringLiteral("Stop addr") : QStringLiteral("Auto address"));
}

void ConfigurationGroupWidget::setNewPrimaryAddress(int address) {
    m_primaryAddress->setValue(address);
}

void ConfigurationGroupWidget::Check_sorvaneClick(bool ticked) {
    m_newId->setEnabled(!ticked);
    commandButton(ConfigurationCommand::Id)->setEnabled(!ticked);
}

} // namespace holvex
