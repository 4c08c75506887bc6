#include "lang/caption_table.h"
#include "lang/caption_view.h"
#include "meters/page/configuration_group_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace holvex {
namespace {

QStringList entries(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) {
        out.append(box->itemText(i));
    }
    return out;
}

QString labelText(const QWidget& root, const char* name) {
    const auto* label = root.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

class ConfigurationGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_group.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_group));
    }
    // Types into a field the way the keyboard does, so the key filters and lengths apply.
    static void type(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClicks(field, text);
    }
    ConfigurationGroupWidget m_group;
};

TEST_F(ConfigurationGroupTest, StartsWithTheGroupsCaptionsRangesAndEmptyBoxes) {
    EXPECT_EQ(m_group.group()->title(), QStringLiteral("   Configuration     "));
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::Reset)->text(), QStringLiteral("Reset (SND_NKE)"));
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::PrimaryAddress)->text(), QStringLiteral("Set "));
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::Baud)->text(), QStringLiteral("Set"));
    EXPECT_EQ(m_group.relayBox()->objectName(), QStringLiteral("Check_sorvane"));
    EXPECT_EQ(m_group.relayBox()->text(), QStringLiteral("Relay"));
    EXPECT_FALSE(m_group.relayBox()->isChecked());
    EXPECT_EQ(labelText(m_group, "Label_pulse_value"), QStringLiteral("Set value in PULSES:"));
    EXPECT_EQ(labelText(m_group, "Label_counter_type"), QStringLiteral("Set counter special:"));

    EXPECT_EQ(m_group.primaryAddressField()->minimum(), 0);
    EXPECT_EQ(m_group.primaryAddressField()->maximum(), 250);
    EXPECT_EQ(m_group.primaryAddressField()->value(), 1);
    EXPECT_EQ(m_group.autoAddressField()->minimum(), 1);
    EXPECT_EQ(m_group.autoAddressField()->maximum(), 249);
    EXPECT_EQ(m_group.autoAddressField()->value(), 1);
    EXPECT_EQ(m_group.autoAddressButton()->objectName(), QStringLiteral("BitBtn22"));
    EXPECT_EQ(m_group.autoAddressButton()->text(), QStringLiteral("Auto address"));
    // The button that stops a run cannot sit in the group a run locks.
    EXPECT_FALSE(m_group.group()->isAncestorOf(m_group.autoAddressButton()));

    EXPECT_EQ(entries(m_group.mediumBox()),
              (QStringList{"Electricity", "Water", "Hot water", "Cold water", "H.C.A", "Heat meter",
                           "Cold meter", "Gas", "Oil", "Pressure", "Other"}));
    EXPECT_EQ(entries(m_group.unitBox()), (QStringList{"l", "Wh", "kJ", "N/A"}));
    EXPECT_EQ(entries(m_group.constantBox()),
              (QStringList{"0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000"}));
    EXPECT_EQ(entries(m_group.baudBox()), (QStringList{"300", "1200", "2400", "4800"}));
    EXPECT_EQ(entries(m_group.pulseWidthBox()), (QStringList{"5ms", "10ms", "20ms", "50ms", "100ms"}));
    EXPECT_EQ(entries(m_group.counterTypeBox()),
              (QStringList{"Incremental ID for each input", "Single ID for all", "Independent addresses"}));

    // Nothing chosen yet: the commands' "empty box" checks must be reachable.
    const ConfigurationInputs in = m_group.inputs();
    EXPECT_EQ(in.newPrimaryAddress, 1);
    EXPECT_TRUE(in.newId.isEmpty());
    EXPECT_TRUE(in.medium.isEmpty());
    EXPECT_TRUE(in.unit.isEmpty());
    EXPECT_TRUE(in.constant.isEmpty());
    EXPECT_TRUE(in.baud.isEmpty());
    EXPECT_TRUE(in.pulseWidth.isEmpty());
    EXPECT_TRUE(in.pulseValue.isEmpty());
    EXPECT_TRUE(in.counterType.isEmpty());
    EXPECT_TRUE(in.relayCounter.isEmpty()); // no source set
}

struct TypedCase {
    const char* name;
    const char* typed;
    const char* kept;
};

class TypedFieldTest : public ConfigurationGroupTest, public ::testing::WithParamInterface<TypedCase> {
protected:
    QWidget* fieldNamed(const QString& name) {
        if (name == QLatin1String("id")) {
            return m_group.newIdField();
        }
        if (name == QLatin1String("pulses")) {
            return m_group.pulseValueField();
        }
        if (name == QLatin1String("baud")) {
            return m_group.baudBox()->lineEdit();
        }
        if (name == QLatin1String("constant")) {
            return m_group.constantBox()->lineEdit();
        }
        if (name == QLatin1String("start")) {
            return m_group.autoAddressField()->findChild<QLineEdit*>();
        }
        return m_group.primaryAddressField()->findChild<QLineEdit*>();
    }
};

TEST_P(TypedFieldTest, KeepsOnlyWhatTheFieldAccepts) {
    const TypedCase& c = GetParam();
    QWidget* field = fieldNamed(QString::fromLatin1(c.name));
    auto* edit = qobject_cast<QLineEdit*>(field);
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    edit->del();
    type(field, QString::fromLatin1(c.typed));
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.kept)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Fields, TypedFieldTest,
                         ::testing::Values(TypedCase{"id", "12a3b45678", "12345678"},
                                           TypedCase{"id", "123456789", "12345678"}, // eight digits at most
                                           TypedCase{"pulses", "99x999999", "99999999"},
                                           TypedCase{"pulses", "1234567890", "12345678"},
                                           TypedCase{"baud", "24x00", "2400"},
                                           TypedCase{"baud", "96000", "9600"},       // four digits at most
                                           TypedCase{"constant", "0.0011", "0.001"}, // five characters
                                           TypedCase{"start", "2a4", "24"}));

TEST_F(ConfigurationGroupTest, InputsFollowTheControlsAndTheRelayCounterSource) {
    QString counter = QStringLiteral("12345");
    m_group.setRelayCounterSource([&counter] { return counter; });
    m_group.primaryAddressField()->setValue(250);
    m_group.newIdField()->setText(QStringLiteral("00000042"));
    m_group.mediumBox()->setCurrentIndex(1);
    m_group.unitBox()->setEditText(QStringLiteral("kJ"));
    m_group.constantBox()->setCurrentIndex(1);
    m_group.relayBox()->setChecked(true);
    m_group.baudBox()->setEditText(QStringLiteral("9600"));
    m_group.pulseWidthBox()->setCurrentIndex(4);
    m_group.pulseValueField()->setText(QStringLiteral("99999999"));
    m_group.counterTypeBox()->setCurrentIndex(2);

    ConfigurationInputs in = m_group.inputs();
    EXPECT_EQ(in.newPrimaryAddress, 250); // above 249 is for the command to refuse, not the field
    EXPECT_EQ(in.newId, QStringLiteral("00000042"));
    EXPECT_EQ(in.medium, QStringLiteral("Water"));
    EXPECT_EQ(in.unit, QStringLiteral("kJ"));
    EXPECT_EQ(in.constant, QStringLiteral("0.01"));
    EXPECT_TRUE(in.relay);
    EXPECT_EQ(in.baud, QStringLiteral("9600"));
    EXPECT_EQ(in.pulseWidth, QStringLiteral("100ms"));
    EXPECT_EQ(in.pulseValue, QStringLiteral("99999999"));
    EXPECT_EQ(in.counterType, QStringLiteral("Independent addresses"));
    EXPECT_EQ(in.relayCounter, QStringLiteral("12345"));

    // The counter is read at each command, not when the source was set.
    counter = QStringLiteral("0");
    EXPECT_EQ(m_group.inputs().relayCounter, QStringLiteral("0"));
    m_group.setNewPrimaryAddress(17);
    EXPECT_EQ(m_group.inputs().newPrimaryAddress, 17);
}

TEST_F(ConfigurationGroupTest, RelayLocksTheNewIdAndAGroupUnlockKeepsThatLock) {
    QPushButton* setId = m_group.commandButton(ConfigurationCommand::Id);
    m_group.relayBox()->click();
    EXPECT_FALSE(m_group.newIdField()->isEnabled());
    EXPECT_FALSE(setId->isEnabled());
    EXPECT_TRUE(m_group.commandButton(ConfigurationCommand::Unit)->isEnabled());

    m_group.setConfigurationEnabled(false);
    m_group.setConfigurationEnabled(true);
    EXPECT_FALSE(setId->isEnabled()); // "Relay" is still ticked

    m_group.relayBox()->click();
    EXPECT_TRUE(m_group.newIdField()->isEnabled());
    EXPECT_TRUE(setId->isEnabled());
}

TEST_F(ConfigurationGroupTest, EveryButtonAnnouncesItsOwnCommand) {
    QSignalSpy spy(&m_group, &ConfigurationGroupWidget::commandRequested);
    for (int i = 0; i < kConfigurationCommandCount; ++i) {
        m_group.commandButton(static_cast<ConfigurationCommand>(i))->click();
    }
    ASSERT_EQ(spy.count(), kConfigurationCommandCount);
    for (int i = 0; i < kConfigurationCommandCount; ++i) {
        EXPECT_EQ(spy.at(i).at(0).value<ConfigurationCommand>(), static_cast<ConfigurationCommand>(i));
    }
    EXPECT_EQ(m_group.commandButton(static_cast<ConfigurationCommand>(kConfigurationCommandCount)), nullptr);

    QSignalSpy autoSpy(&m_group, &ConfigurationGroupWidget::autoAddressRequested);
    m_group.autoAddressButton()->click();
    EXPECT_EQ(autoSpy.count(), 1);
}

TEST_F(ConfigurationGroupTest, ALockedGroupRefusesMenuRequestsButKeepsItsStopButton) {
    QSignalSpy spy(&m_group, &ConfigurationGroupWidget::commandRequested);
    m_group.setConfigurationEnabled(false);
    EXPECT_FALSE(m_group.configurationEnabled());
    m_group.requestCommand(ConfigurationCommand::Baud);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(m_group.autoAddressButton()->isEnabled());

    m_group.setConfigurationEnabled(true);
    m_group.requestCommand(ConfigurationCommand::PulseWidth);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<ConfigurationCommand>(), ConfigurationCommand::PulseWidth);

    m_group.setAutoAddressEnabled(false);
    EXPECT_FALSE(m_group.autoAddressButton()->isEnabled());
    EXPECT_TRUE(m_group.configurationEnabled());

    // Hidden for a user without the right to set devices: the menu cannot reach it either.
    m_group.group()->hide();
    m_group.requestCommand(ConfigurationCommand::PulseWidth);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(ConfigurationGroupTest, CaptionsSwitchLanguageAndLeaveTheAutoAddressCaptionAlone) {
    CaptionTable table;
    ConfigurationGroupWidget::addCaptions(table);
    m_group.showAutoAddressRunning(true);

    applyCaptions(&m_group, table, TickedLanguage::Italian);
    EXPECT_EQ(m_group.group()->title(), QStringLiteral("   Config. Avanzata   "));
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::Reset)->text(), QStringLiteral("Ripristina Stato"));
    EXPECT_EQ(labelText(m_group, "Label_new_primary"), QStringLiteral("Imposta Ind. Primario:"));
    EXPECT_EQ(labelText(m_group, "Label_new_id"), QStringLiteral("Imposta ID:"));
    EXPECT_EQ(labelText(m_group, "Label_medium"), QStringLiteral("Imposta Grandezza:"));
    EXPECT_EQ(labelText(m_group, "Label_unit"), QStringLiteral("Imposta Unita:"));
    EXPECT_EQ(labelText(m_group, "Label_baud"), QStringLiteral("Imp. velocita:"));
    EXPECT_EQ(labelText(m_group, "Label_pulse_width"), QStringLiteral("Imp. valore:"));
    EXPECT_EQ(labelText(m_group, "Label_pulse_value"), QStringLiteral("Set value in PULSES:"));
    for (ConfigurationCommand command :
         {ConfigurationCommand::PrimaryAddress, ConfigurationCommand::Id, ConfigurationCommand::Medium,
          ConfigurationCommand::Unit, ConfigurationCommand::Baud, ConfigurationCommand::PulseWidth,
          ConfigurationCommand::PulseValue}) {
        EXPECT_EQ(m_group.commandButton(command)->text(), QStringLiteral("Imposta"));
    }
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::CounterType)->text(), QStringLiteral("Set"));
    EXPECT_EQ(m_group.relayBox()->text(), QStringLiteral("Relay"));
    EXPECT_EQ(m_group.autoAddressButton()->text(), QStringLiteral("Stop addr"));

    applyCaptions(&m_group, table, TickedLanguage::English);
    EXPECT_EQ(m_group.group()->title(), QStringLiteral("   Advanced Config.   "));
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::Reset)->text(), QStringLiteral("Reset Status"));
    EXPECT_EQ(labelText(m_group, "Label_pulse_width"), QStringLiteral("Set pulse width:"));
    EXPECT_EQ(m_group.commandButton(ConfigurationCommand::PrimaryAddress)->text(), QStringLiteral("Set"));
    EXPECT_EQ(m_group.autoAddressButton()->text(), QStringLiteral("Stop addr"));

    m_group.showAutoAddressRunning(false);
    EXPECT_EQ(m_group.autoAddressButton()->text(), QStringLiteral("Auto address"));
}

} // namespace
} // namespace holvex
