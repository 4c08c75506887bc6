#include "app/receiver_controller.h"

#include "app/command_line_widget.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "bus/bus.h"
#include "bus/run_state.h"
#include "devices/receiver/binding_lines.h"
#include "devices/receiver/key_file.h"
#include "devices/receiver/receiver_full_read.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_page.h"
#include "devices/receiver/receiver_table.h"
#include "devices/receiver/settings_lines.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QPushButton>
#include <QTime>

namespace holvex {

using receiver::ReceiverCommand;
using receiver::ReceiverCommands;
using receiver::ReceiverSendOutcome;

ReceiverController::ReceiverController(MainWindow& window, receiver::ReceiverPage& page, Bus& bus,
                                       ReportWindow& report, QObject* parent)
    : QObject(parent), m_window(window), m_page(page), m_bus(bus), m_report(report),
      m_receiver(bus.receiver()) {
    connectSettings();
    connectTable();
    connectRuns();
    m_receiver.programmer().setKeyBox(m_page.keyBox());
}

void ReceiverController::runCommand(const std::function<bool()>& send) {
    m_bus.start(send);
}

void ReceiverController::connectSettings() {
    using Page = receiver::ReceiverPage;
    receiver::ReceiverCommandSender& sender = m_receiver.commands();
    // Each button builds its line when pressed; a control whose text no line knows sends nothing.
    const auto wire = [this, &sender](void (Page::*signal)(),
                                      std::function<std::optional<ReceiverCommand>()> build) {
        connect(&m_page, signal, this, [this, &sender, build] {
            const std::optional<ReceiverCommand> command = build();
            if (command) {
                runCommand([&] { return sender.dispatch(*command) == ReceiverSendOutcome::Sent; });
            }
        });
    };
    wire(&Page::dateRequested, [] { return receiver::dateCommand(QDate::currentDate()); });
    wire(&Page::timeRequested, [] { return receiver::timeCommand(QTime::currentTime()); });
    wire(&Page::saveIntervalRequested,
         [this] { return receiver::saveIntervalCommand(m_page.saveIntervalText()); });
    wire(&Page::modeRequested,
         [this] { return receiver::radioModeCommand(m_page.modeBox()->currentText()); });
    wire(&Page::roleRequested, [this] { return receiver::roleCommand(m_page.roleBox()->currentText()); });
    wire(&Page::workRequested, [this] { return receiver::workModeCommand(m_page.workBox()->currentText()); });
    wire(&Page::optionRequested, [this] {
        return receiver::optionCommand(m_page.optionBox()->currentText(),
                                       m_page.optionValueBox()->isChecked());
    });
    wire(&Page::servingInfoRequested, [] { return receiver::servingInfoCommand(); });
    wire(&Page::wirelessInfoRequested, [] { return receiver::wirelessInfoCommand(); });

    const auto wireRow = [this, &sender](void (Page::*signal)(), std::function<ReceiverCommands()> build) {
        connect(&m_page, signal, this, [this, &sender, build] {
            const ReceiverCommands commands = build();
            // A refusal is logged without taking the bus.
            if (!commands.refusal.isEmpty() || commands.commands.isEmpty()) {
                sender.dispatch(commands);
                return;
            }
            runCommand([&] { return sender.dispatch(commands) == ReceiverSendOutcome::Sent; });
        });
    };
    wireRow(&Page::bindRequested, [this] { return receiver::bindCommands(m_page.currentReceiverRow()); });
    wireRow(&Page::debindRequested, [this] { return receiver::debindCommands(m_page.currentReceiverRow()); });
    wireRow(&Page::saveKeyRequested, [this] {
        const receiver::KeyBoxState key = m_page.keyBox();
        return receiver::keyCommands(m_page.currentReceiverRow(), key.text, key.entry, key.targets);
    });
}

void ReceiverController::connectTable() {
    connect(&m_page, &receiver::ReceiverPage::fullReadRequested, this, &ReceiverController::fullRead);
    connect(&m_page, &receiver::ReceiverPage::keyBoxEdited, this,
            [this] { m_receiver.programmer().setKeyBox(m_page.keyBox()); });
}

void ReceiverController::connectRuns() {
    receiver::RadioAcquisition& acquisition = m_receiver.acquisition();
    receiver::ReceiverProgrammer& programmer = m_receiver.programmer();
    connect(&m_page, &receiver::ReceiverPage::acquireRequested, this, &ReceiverController::toggleAcquire);
    // "Exclude identical" counts for every telegram, also while acquisition runs.
    connect(m_page.excludeIdenticalBox(), &QCheckBox::toggled, &acquisition,
            &receiver::RadioAcquisition::setExcludeIdentical);
    connect(&m_page, &receiver::ReceiverPage::programRequested, this, &ReceiverController::toggleProgram);
    connect(&acquisition, &receiver::RadioAcquisition::started, this, [this] {
        m_page.setAcquireRunning(true);
        setSendEnabled(false);
    });
    connect(&acquisition, &receiver::RadioAcquisition::finished, this, [this] {
        m_page.setAcquireRunning(false);
        setSendEnabled(true);
    });
    connect(&programmer, &receiver::ReceiverProgrammer::started, this, [this] {
        m_page.setProgramRunning(true);
        setSendEnabled(false);
    });
    connect(&programmer, &receiver::ReceiverProgrammer::finished, this, [this] {
        m_page.setProgramRunning(false);
        setSendEnabled(true);
    });
    connect(&programmer, &receiver::ReceiverProgrammer::optionsChanged, this,
            [this, &programmer] { m_page.showProgramOptions(programmer.options()); });
    connect(&programmer, &receiver::ReceiverProgrammer::keyBoxChanged, this,
            [this, &programmer] { m_page.showKeyBox(programmer.keyBox()); });
    connect(&programmer, &receiver::ReceiverProgrammer::currentRowChanged, &m_page,
            &receiver::ReceiverPage::selectRow);
    connect(&m_page, &receiver::ReceiverPage::programOptionToggled, &programmer,
            &receiver::ReceiverProgrammer::setOptionTicked);
    connect(&m_page, &receiver::ReceiverPage::idSourceChanged, &programmer,
            &receiver::ReceiverProgrammer::setIdSource);
}

void ReceiverController::setSendEnabled(bool enabled) {
    m_window.commandLine()->sendButton()->setEnabled(enabled);
}

void ReceiverController::toggleAcquire() {
    receiver::RadioAcquisition& acquisition = m_receiver.acquisition();
    if (acquisition.running()) {
        acquisition.stop();
        return;
    }
    acquisition.setExcludeIdentical(m_page.excludeIdenticalBox()->isChecked());
    acquisition.setUpToV301f(m_page.upToV301fBox()->isChecked());
    m_bus.start([&acquisition] { return acquisition.start(); });
}

void ReceiverController::toggleProgram() {
    receiver::ReceiverProgrammer& programmer = m_receiver.programmer();
    if (programmer.running()) {
        programmer.stop();
        return;
    }
    programmer.setKeyBox(m_page.keyBox());
    programmer.setIdSource(m_page.idSource());
    m_bus.start([&programmer] { return programmer.start(); });
}

void ReceiverController::fullRead(int row) {
    const std::optional<receiver::ReceiverRow> cells = receiver::receiverRowAt(m_receiver.table(), row);
    if (!cells) {
        return;
    }
    BusContext& context = m_bus.context();
    const receiver::KeyTable keys = receiver::loadKeyFile(receiver::defaultKeyFilePath());
    for (const QString& problem : keys.problems) {
        context.log.logLine(problem);
    }
    mbus::DecodeOptions options;
    options.decimalSeparator = context.decimalSeparator();
    options.extraTitleCount = context.state.ExtraTitleCount;
    options.timeText = context.timeText();
    options.dateText = context.dateText();
    const receiver::RadioDecodeResult read = receiver::fullReadOfRow(*cells, m_page.keyBox(), keys, options);
    for (const QString& line : read.decoded.log) {
        context.log.logLine(line);
    }
    if (read.decoded.ok) {
        m_report.appendReport(read.decoded.reportLines, read.decoded.gridDataRows, true, &m_window);
    }
}

} // namespace holvex
