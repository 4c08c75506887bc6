#pragma once

#include "bus/bus.h"
#include "links/call_in_server.h"
#include "meters/ops/meter_operations.h"
#include "meters/ops/secondary_search.h"

#include <QObject>

#include <memory>

namespace holvex {

class ConfigurationController;
class MainWindow;
class MetersPage;
class ReportWindow;
class SettingsDialog;
class MessageLanguage;
struct RunState;
struct Settings;

namespace links {
class RoadLinks;
}

// Puts the bus behind the main window: the one connection channel, the context the meter operations share and
// the operations themselves, wired to the search group, page 1, the command line, the status panel, the
// settings dialog and the report window. The operations announce busy and idle; this class turns that into
// captions and enabled controls, so no operation touches a widget.
class BusController : public QObject {
    Q_OBJECT
public:
    BusController(Settings& settings, RunState& run, const MessageLanguage& language, MainWindow& window,
                  MetersPage& page, SettingsDialog& settingsDialog, ReportWindow& report,
                  QObject* parent = nullptr);
    ~BusController() override;

    Bus& bus() { return *m_bus; }
    links::RoadLinks& roads() { return *m_bus->roads(); }
    MeterOperations& operations() { return m_bus->operations(); }
    BusContext& context() { return m_bus->context(); }
    // The bus search by wildcard IDs; its searchStarted / searchFinished also lock the configuration
    // controls.
    SecondarySearch& secondarySearch() { return m_bus->secondarySearch(); }

    // "Find" beside "By Primary address:".
    void findByPrimaryAddress();
    // "Find" beside "By Secondary address:": a direct read of the field's ID, or the bus search for
    // "FFFFFFFF".
    void findBySecondaryAddress();
    // "Find all": "FFFFFFFF" into the ID field, then "Find".
    void findAll();

private:
    void connectSearchGroup();
    void connectPage();
    void connectCommandLine();
    void connectChannel(SettingsDialog& settingsDialog);
    void connectOperations();

    void onScanStarted(const QString& caption);
    void onScanFinished(const QString& caption);
    void onReadAllStarted();
    void onReadAllFinished(const QString& caption);
    void onRowRunStarted();
    void onRowRunFinished(const QString& readAllCaption);
    void onRowFocused(int row, bool relayCounterSet, const QString& relayCounter);
    void onReportOutput(const QStringList& lines, const QVector<QStringList>& gridRows, bool show);
    void onPeerAccepted();
    void onAutomaticAction(links::AutomaticAction kind);
    void onReadSelected();
    void onFullRead();
    void onReadAll();
    void onSecondarySearchStarted();
    void onSecondarySearchFinished();
    // An operation holds the bus: a scan, a read run, a row run or the secondary search.
    bool busBusy() const;
    // The controls the secondary search locks (those of this window; the configuration group and "Auto
    // address" follow searchStarted / searchFinished themselves).
    void setSearchLockedControlsEnabled(bool enabled);

    // The controls a primary scan locks: the read buttons (and their menu entries), the secondary "Find",
    // "Find all" and the command "Send".
    void setScanLockedControlsEnabled(bool enabled);
    // The read buttons' menu entries follow their buttons, so the menu cannot start what the button cannot.
    void setReadEntriesEnabled(bool readSelected, bool readAll);
    ClearAnswer askClearTable(const QString& text, const QString& title);

    Settings& m_settings;
    RunState& m_run;
    const MessageLanguage& m_language;
    MainWindow& m_window;
    MetersPage& m_page;
    ReportWindow& m_report;
    std::unique_ptr<Bus> m_bus;
    // Destroyed before the operations it connects to.
    std::unique_ptr<ConfigurationController> m_configuration;
};

} // namespace holvex
