#pragma once

#include "meters/ops/meter_configuration.h"

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace holvex {

class CaptionTable;

// The commands of the configuration group, one per "Set" button (and the reset).
enum class ConfigurationCommand {
    Reset = 0,
    PrimaryAddress,
    Id,
    Medium,
    Unit,
    Baud,
    PulseWidth,
    PulseValue,
    CounterType,
};
inline constexpr int kConfigurationCommandCount = 9;

// Page 1's configuration controls: the "   Configuration     " group with the field, box and "Set" button of
// every command, and below it the automatic addressing's start address and "Auto address" button. The button
// stays outside the group because it is the "Stop addr" button while the group is locked by a run.
// The widget holds no bus logic: it announces commandRequested / autoAddressRequested and hands out its
// inputs when asked.
class ConfigurationGroupWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxNewPrimaryAddress = 250;
    static constexpr int kMinAutoAddress = 1;
    static constexpr int kMaxAutoAddress = 249;
    static constexpr int kIdDigits = 8;
    static constexpr int kPulseValueDigits = 8;
    static constexpr int kBaudDigits = 4;
    static constexpr int kConstantChars = 5;

    explicit ConfigurationGroupWidget(QWidget* parent = nullptr);

    // The rows this widget's captions take in the window's caption table.
    static void addCaptions(CaptionTable& table);

    // The inputs of the commands as they stand now; the relay counter comes from the source set below.
    ConfigurationInputs inputs() const;
    // Where the relay counter value is read at each command (the meter page's hidden field).
    void setRelayCounterSource(std::function<QString()> source) { m_relayCounter = std::move(source); }

    // Presses the command's "Set" button, as the table's context menu does; a locked or hidden group does
    // nothing.
    void requestCommand(ConfigurationCommand command);

    // Locks or frees the whole configuration group (not the automatic addressing's button).
    void setConfigurationEnabled(bool enabled);
    bool configurationEnabled() const;
    // The automatic addressing's start address and button.
    void setAutoAddressEnabled(bool enabled);
    int autoAddressStart() const;
    // "Stop addr" while a run lasts, "Auto address" otherwise.
    void showAutoAddressRunning(bool running);
    // The address the set-primary-address command sends next.
    void setNewPrimaryAddress(int address);

    QGroupBox* group() const { return m_group; }
    QPushButton* commandButton(ConfigurationCommand command) const;
    QSpinBox* primaryAddressField() const { return m_primaryAddress; }
    QLineEdit* newIdField() const { return m_newId; }
    QComboBox* mediumBox() const { return m_medium; }
    QComboBox* unitBox() const { return m_unit; }
    QComboBox* constantBox() const { return m_constant; }
    QCheckBox* relayBox() const { return m_relay; }
    QComboBox* baudBox() const { return m_baud; }
    QComboBox* pulseWidthBox() const { return m_pulseWidth; }
    QLineEdit* pulseValueField() const { return m_pulseValue; }
    QComboBox* counterTypeBox() const { return m_counterType; }
    QSpinBox* autoAddressField() const { return m_autoAddressStart; }
    QPushButton* autoAddressButton() const { return m_autoAddress; }

signals:
    void commandRequested(holvex::ConfigurationCommand command);
    void autoAddressRequested();

private:
    void buildGroup();
    void buildAutoAddressRow();
    void connectControls();
    // "Relay" turns the "Set Unit to:" command into the relay counter command, which needs no new ID.
    void Check_sorvaneClick(bool ticked);

    QGroupBox* m_group = nullptr;
    std::array<QPushButton*, kConfigurationCommandCount> m_buttons{};
    QSpinBox* m_primaryAddress = nullptr;
    QLineEdit* m_newId = nullptr;
    QComboBox* m_medium = nullptr;
    QComboBox* m_unit = nullptr;
    QComboBox* m_constant = nullptr;
    QCheckBox* m_relay = nullptr;
    QComboBox* m_baud = nullptr;
    QComboBox* m_pulseWidth = nullptr;
    QLineEdit* m_pulseValue = nullptr;
    QComboBox* m_counterType = nullptr;
    QSpinBox* m_autoAddressStart = nullptr;
    QPushButton* m_autoAddress = nullptr;
    std::function<QString()> m_relayCounter;
};

} // namespace holvex
