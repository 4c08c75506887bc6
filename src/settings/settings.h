#pragma once

#include <QString>
#include <QStringList>

namespace holvex {

// Every key of the settings file, with its default. The settings dialog edits one instance live, so the rest
// of the program reads the value in force at the moment it needs it.
struct Settings {
    static constexpr int kMaxTitles = 15;
    static constexpr int kTitleLength = 15;

    // [Com port]
    QString PortName = QStringLiteral("COM1");
    QString Speed = QStringLiteral("300");
    QString Parity = QStringLiteral("Even");
    bool Rts = false;
    bool Dtr = false;

    // [Misc]
    QString ExportSeparator = QStringLiteral(";");
    QString DecSeparator = QStringLiteral(".");
    int Retry = 1;
    bool UseEthernet = false;   // gateways call in to the server socket
    bool UseLanXp = false;      // TCP client to a LAN adapter
    bool UseFerrinServ = false; // TCP client to a gateway of the server version
    bool UseNerit1 = false;     // wireless interface adapter calling in
    bool Use5B = false;
    bool GlobalInit = false;
    bool MsbSearch = true;
    bool LsbSearch = false;
    bool Multitelegram = false;
    bool WApator = false;
    bool WTechem = false;
    QString Dir;      // written by the main window; empty means the program's folder
    int Language = 1; // written by the main window

    // [Ethernet]
    QString ListenPort = QStringLiteral("59615");
    bool AutoOpen = true;
    bool AutoLumet = false;
    bool AutoMbus = false;
    bool AutoSec = false;
    bool KeepAlive = true;
    int TReload = 0;

    // [LANXP]
    QString RemoteIp = QStringLiteral("192.168.1.3");
    QString RemotePort = QStringLiteral("10001");
    QString NetNumber;
    int EthTimeout = 50; // units of 10 ms
    bool CloseTcp = false;

    // [Titles]
    int TitleCount = 0;
    QStringList Titles = QStringList(kMaxTitles, QString());

    // [Mbus] (written by the main window)
    int SearchFrom = 0;
    int SearchTo = 0;
    int Timeout = 500;
    // Set in the settings dialog: an exchange ends as soon as its answer is complete and the line has gone
    // quiet, instead of always waiting the whole response timeout.
    bool FastReply = true;

    // [IPaddress] (written by the main window): the manufacturer server and the two control servers offered
    // on the gateway page. The built-in values are documentation addresses, to be replaced by the installer.
    QString Ipma = QStringLiteral("192.0.2.10");
    QString Ipco = QStringLiteral("192.0.2.20");
    QString Ipo1 = QStringLiteral("192.0.2.20");

    // Not stored: "Accept only this network" and its network number.
    bool AcceptOnlyNetwork = false;
    QString AcceptedNetwork;
};

} // namespace holvex
