#include "app/page_installer.h"

#include "app/display_controller.h"
#include "app/display_readout_controller.h"
#include "app/gateway_controller.h"
#include "app/main_window.h"
#include "app/receiver_controller.h"
#include "bus/bus.h"
#include "bus/bus_context.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_page.h"
#include "devices/display/display_read_widget.h"
#include "devices/display/readings_page.h"
#include "devices/gateway/gateway_page.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_page.h"
#include "lang/caption_view.h"
#include "lang/message_language.h"
#include "meters/page/meters_page.h"
#include "meters/table/string_grid_model.h"
#include "ui/page_context.h"

#include <QVBoxLayout>

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

namespace {

// Page 3's read-out controls and page 4 ("   Get Readings   ") over the same tables, wired to the read-out.
void installReadout(MainWindow& window, display::DisplayPage& page, Bus& bus) {
    const PageContext& context = window.pageContext();
    auto* read = new display::DisplayReadWidget(&page);
    page.readArea()->addWidget(read);
    page.addWriteLockedControl(read->readDataButton());
    page.addWriteLockedControl(read->infoGroup());
    display::DisplayReadWidget::addCaptions(context.captions);
    applyCaptions(read, context.captions, context.language.ticked());

    auto* readings =
        new display::ReadingsPage(context, bus.display().tables(), window.page(MainWindow::ReadingsPage));
    window.installPage(MainWindow::ReadingsPage, readings);
    new DisplayReadoutController(page, *read, *readings, bus, readings);
}

} // namespace

display::DisplayPage* installDisplayPage(MainWindow& window, Bus& bus) {
    display::DisplayTables& tables = bus.display().tables();
    auto* page = new display::DisplayPage(window.pageContext(), tables, bus.context().meterTable,
                                          window.page(MainWindow::DisplayPage));
    window.installPage(MainWindow::DisplayPage, page);
    new DisplayController(window, *page, bus, page);
    installReadout(window, *page, bus);
    QObject::connect(&window, &MainWindow::languageApplied, page,
                     [&tables](TickedLanguage language) { tables.applyHeadings(language); });
    return page;
}

receiver::ReceiverPage* installReceiverPage(MainWindow& window, Bus& bus, ReportWindow& report) {
    auto* page = new receiver::ReceiverPage(window.pageContext(), bus.receiver().table(),
                                            bus.context().meterTable, window.page(MainWindow::ReceiverPage));
    window.installPage(MainWindow::ReceiverPage, page);
    new ReceiverController(window, *page, bus, report, page);
    // The English table puts the receiver's headings back; the Italian one leaves them as they are.
    StringGridModel& table = bus.receiver().table();
    QObject::connect(&window, &MainWindow::languageApplied, page, [&table](TickedLanguage language) {
        if (language != TickedLanguage::English) {
            return;
        }
        const QMap<int, QString> headings = receiverTableHeadings();
        for (auto it = headings.cbegin(); it != headings.cend(); ++it) {
            table.setCell(0, it.key(), it.value());
        }
    });
    return page;
}

} // namespace holvex
