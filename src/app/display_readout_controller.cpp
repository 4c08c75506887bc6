#include "app/display_readout_controller.h"

#include "bus/bus.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_page.h"
#include "devices/display/display_read_widget.h"
#include "devices/display/display_readout.h"
#include "devices/display/readings_page.h"
#include "meters/table/string_grid_model.h"

#include <QPushButton>

namespace holvex {

using display::DisplaySendOutcome;

DisplayReadoutController::DisplayReadoutController(display::DisplayPage& displayPage,
                                                   display::DisplayReadWidget& readWidget,
                                                   display::ReadingsPage& readingsPage, Bus& bus,
                                                   QObject* parent)
    : QObject(parent), m_displayPage(displayPage), m_readWidget(readWidget), m_readingsPage(readingsPage),
      m_bus(bus), m_readout(bus.display().readout()) {
    connect(&m_readWidget, &display::DisplayReadWidget::readDataRequested, this,
            [this] { m_bus.start([this] { return m_readout.readData(); }); });
    connect(&m_readWidget, &display::DisplayReadWidget::readValuesRequested, this,
            [this] { m_bus.start([this] { return m_readout.readValues(m_readWidget.values()); }); });
    connect(&m_readWidget, &display::DisplayReadWidget::infoRequested, this, [this] {
        m_bus.start([this] {
            return m_readout.requestInfo(m_readWidget.info(), selectedAddress()) == DisplaySendOutcome::Sent;
        });
    });
    connect(&m_readingsPage, &display::ReadingsPage::historyRequested, this,
            &DisplayReadoutController::readHistory);
    connect(&m_readingsPage, &display::ReadingsPage::readMetersRequested, this,
            [this] { m_bus.start([this] { return m_readout.readMeters() == DisplaySendOutcome::Sent; }); });
}

int DisplayReadoutController::selectedAddress() const {
    const int row = m_displayPage.selectedRow();
    const StringGridModel& table = m_displayPage.table();
    if (row <= 0 || row >= table.gridRowCount()) {
        return 0;
    }
    return table.cell(row, display::kDisplayAddressColumn).toInt();
}

void DisplayReadoutController::readHistory(int month) {
    m_readingsPage.setHistoryRunning(true);
    m_bus.start([this, month] { return m_readout.readHistory(month); });
    m_readingsPage.setHistoryRunning(false);
}

} // namespace holvex
