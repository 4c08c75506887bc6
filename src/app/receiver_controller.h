#pragma once

#include <QObject>

#include <functional>

namespace holvex {

class Bus;
class MainWindow;
class ReportWindow;

namespace receiver {
class ReceiverPage;
class ReceiverOperations;
} // namespace receiver

// Puts page 5 in front of the receiver's operations: the setting buttons send their lines through the device
// command dispatch, bind, de-bind and "Save in Ravik" send the current row's lines, "Acquire RF meters" and
// "Program Ravik-Q" start (through the bus, so nothing else may start meanwhile) or stop their runs, which
// lock the controls they name and the free-command "Send". "Full read" shows a row's telegram in the
// detailed report.
class ReceiverController : public QObject {
    Q_OBJECT
public:
    ReceiverController(MainWindow& window, receiver::ReceiverPage& page, Bus& bus, ReportWindow& report,
                       QObject* parent = nullptr);

    void toggleAcquire();
    void toggleProgram();
    void fullRead(int row);

private:
    void connectSettings();
    void connectTable();
    void connectRuns();
    // Runs a one-shot line with the bus held; refused while an operation holds it.
    void runCommand(const std::function<bool()>& send);
    void setSendEnabled(bool enabled);

    MainWindow& m_window;
    receiver::ReceiverPage& m_page;
    Bus& m_bus;
    ReportWindow& m_report;
    receiver::ReceiverOperations& m_receiver;
};

} // namespace holvex
