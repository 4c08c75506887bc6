#pragma once

#include <QObject>

#include <functional>

namespace holvex {

class Bus;

namespace display {
class DisplayPage;
class DisplayReadWidget;
class DisplayReadout;
class ReadingsPage;
} // namespace display

// Puts the read-out controls of page 3 and page 4 in front of the display unit's read-out: each read runs
// to its end through the bus, which is held meanwhile so nothing else starts while the window keeps
// painting. "Export" of page 4 is disabled while the history is read.
class DisplayReadoutController : public QObject {
    Q_OBJECT
public:
    DisplayReadoutController(display::DisplayPage& displayPage, display::DisplayReadWidget& readWidget,
                             display::ReadingsPage& readingsPage, Bus& bus, QObject* parent = nullptr);

private:
    // "Get info" asks about the display-table row last clicked; 0 when none or not a number.
    int selectedAddress() const;
    void readHistory(int month);

    display::DisplayPage& m_displayPage;
    display::DisplayReadWidget& m_readWidget;
    display::ReadingsPage& m_readingsPage;
    Bus& m_bus;
    display::DisplayReadout& m_readout;
};

} // namespace holvex
