#pragma once

#include <QObject>

#include <functional>

namespace holvex {

class Bus;
class MainWindow;

namespace display {
class DisplayPage;
class DisplayOperations;
} // namespace display

// Puts page 3 in front of the display unit's operations: "Write table to the display" starts (through the
// bus, so nothing else may start meanwhile) or stops the table write, the property boxes and the write's
// options follow each other, the one-shot buttons send their lines, and the write's start and end turn the
// button into its "Stop writing table in display" button and lock and free the controls it names.
class DisplayController : public QObject {
    Q_OBJECT
public:
    DisplayController(MainWindow& window, display::DisplayPage& page, Bus& bus, QObject* parent = nullptr);

    // "Write table to the display" / "Stop writing table in display".
    void toggleWrite();

private:
    void connectWrite();
    void connectCommands();
    void onWriteStarted();
    void onWriteFinished();
    void showOptions();
    // Runs a one-shot command with the bus held; refused while an operation holds it.
    void runCommand(const std::function<bool()>& send);

    MainWindow& m_window;
    display::DisplayPage& m_page;
    Bus& m_bus;
    display::DisplayOperations& m_display;
};

} // namespace holvex
