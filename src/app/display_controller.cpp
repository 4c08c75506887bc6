#include "app/display_controller.h"

#include "app/main_window.h"
#include "bus/bus.h"
#include "devices/display/display_commands_widget.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_options_widget.h"
#include "devices/display/display_page.h"
#include "ui/desktop_hooks.h"

#include <QDate>
#include <QPushButton>
#include <QTime>

#include <functional>

namespace holvex {

using display::DisplaySendOutcome;

DisplayController::DisplayController(MainWindow& window, display::DisplayPage& page, Bus& bus,
                                     QObject* parent)
    : QObject(parent), m_window(window), m_page(page), m_bus(bus), m_display(bus.display()) {
    m_display.commands().setConfirmation([this](const QString& title, const QString& question) {
        return m_window.desktopHooks().askYesNoWarning(&m_window, title, question);
    });
    connectWrite();
    connectCommands();
    showOptions();
}

void DisplayController::connectWrite() {
    display::DisplayTableWriter& writer = m_display.writer();
    connect(m_page.writeButton(), &QPushButton::clicked, this, &DisplayController::toggleWrite);
    connect(&writer, &display::DisplayTableWriter::writeStarted, this, &DisplayController::onWriteStarted);
    connect(&writer, &display::DisplayTableWriter::writeFinished, this, &DisplayController::onWriteFinished);
    connect(&writer, &display::DisplayTableWriter::optionsChanged, this, &DisplayController::showOptions);
    connect(m_page.optionsWidget(), &display::DisplayOptionsWidget::optionToggled, &writer,
            &display::DisplayTableWriter::setOptionTicked);
}

void DisplayController::toggleWrite() {
    display::DisplayTableWriter& writer = m_display.writer();
    // The running write's own button stops it at once; a start waits for the bus.
    if (writer.running()) {
        writer.stop();
        return;
    }
    m_bus.start([&writer] { return writer.start(); });
}

void DisplayController::onWriteStarted() {
    const std::optional<QString> caption = m_window.captions().setRunning(
        display::DisplayPage::kWriteButtonName, true, m_window.messageLanguage().ticked());
    if (caption) {
        m_page.writeButton()->setText(*caption);
    }
    m_page.setWriteLocked(true);
}

void DisplayController::onWriteFinished() {
    const std::optional<QString> caption = m_window.captions().setRunning(
        display::DisplayPage::kWriteButtonName, false, m_window.messageLanguage().ticked());
    if (caption) {
        m_page.writeButton()->setText(*caption);
    }
    m_page.setWriteLocked(false);
}

void DisplayController::showOptions() {
    m_page.optionsWidget()->setOptions(m_display.writer().options());
}

void DisplayController::runCommand(const std::function<bool()>& send) {
    m_bus.start(send);
}

void DisplayController::connectCommands() {
    display::DisplayCommandsWidget* commands = m_page.commandsWidget();
    display::DisplayCommandSender& sender = m_display.commands();
    const auto sent = [](DisplaySendOutcome outcome) {
        return outcome == DisplaySendOutcome::Sent;
    };
    connect(commands, &display::DisplayCommandsWidget::dateRequested, this, [this, &sender, sent] {
        runCommand([&] { return sent(sender.send(display::displayDateCommand(QDate::currentDate()))); });
    });
    connect(commands, &display::DisplayCommandsWidget::timeRequested, this, [this, &sender, sent] {
        runCommand([&] { return sent(sender.send(display::displayTimeCommand(QTime::currentTime()))); });
    });
    connect(commands, &display::DisplayCommandsWidget::lockRequested, this,
            [this, &sender, sent] { runCommand([&] { return sent(sender.sendLock()); }); });
    connect(commands, &display::DisplayCommandsWidget::refreshRequested, this,
            [this, &sender, sent, commands] {
                runCommand([&] {
                    return sent(sender.send(display::displayRefreshCommand(commands->refreshText())));
                });
            });
    connect(commands, &display::DisplayCommandsWidget::sortRequested, this, [this, &sender, sent, commands] {
        runCommand([&] {
            return sent(sender.send(
                display::displaySortCommand(commands->sortByAddress(), commands->sortByUserNumber())));
        });
    });
    connect(commands, &display::DisplayCommandsWidget::sortTableRequested, this, [this, &sender, commands] {
        runCommand([&] {
            if (sender.createSortTable() != DisplaySendOutcome::Sent) {
                return false;
            }
            commands->tickSortByUserNumber();
            return true;
        });
    });
}

} // namespace holvex
