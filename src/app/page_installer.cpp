#include "app/page_installer.h"

#include "app/display_controller.h"
#include "app/gateway_controller.h"
#include "app/main_window.h"
#include "app/receiver_controller.h"
#include "bus/bus.h"
#include "bus/bus_context.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_page.h"
#include "devices/gateway/gateway_page.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_page.h"
#include "meters/page/meters_page.h"

namespace holvex {

MetersPage* installMetersPage(MainWindow& window) {
    auto* page = new MetersPage(window.pageContext(), window.page(MainWindow::MbusPage));
    window.installPage(MainWindow::MbusPage, page);
    QObject::connect(&window, &MainWindow::fileOpenRequested, page, &MetersPage::Butt_loadClick);
    QObject::connect(&window, &MainWindow::fileSaveRequested, page, &MetersPage::Butt_save_exportClick);
    QObject::connect(&window, &MainWindow::languageApplied, page, &MetersPage::applyHeadings);
    QObject::connect(&window, &MainWindow::extraTitlesChanged, page, &MetersPage::onExtraTitlesChanged);
    return page;
}

gateway::GatewayPage* installGatewayPage(MainWindow& window, Bus& bus) {
    auto* page = new gateway::GatewayPage(window.pageContext(), window.page(MainWindow::CommunicationPage));
    window.installPage(MainWindow::CommunicationPage, page);
    new GatewayController(window, *page, bus); // owned by the page
    return page;
}

display::DisplayPage* installDisplayPage(MainWindow& window, Bus& bus) {
    display::DisplayTables& tables = bus.display().tables();
    auto* page = new display::DisplayPage(window.pageContext(), tables, bus.context().meterTable,
                                          window.page(MainWindow::DisplayPage));
    window.installPage(MainWindow::DisplayPage, page);
    new DisplayController(window, *page, bus, page);
    QObject::connect(&window, &MainWindow::languageApplied, page,
                     [&tables](TickedLanguage language) { tables.applyHeadings(language); });
    return page;
}

receiver::ReceiverPage* installReceiverPage(MainWindow& window, Bus& bus, ReportWindow& report) {
    auto* page = new receiver::ReceiverPage(window.pageContext(), bus.receiver().table(),
                                            bus.context().meterTable, window.page(MainWindow::ReceiverPage));
    window.installPage(MainWindow::ReceiverPage, page);
    new ReceiverController(window, *page, bus, report, page);
    return page;
}

} // namespace holvex
