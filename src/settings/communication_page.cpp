#include "settings/communication_page.h"

#include "lang/message_language.h"
#include "settings/key_filter_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSpinBox>
#include <QVBoxLayout>

namespace holvex {

namespace {

// Long enough for a device path such as "/dev/serial/by-id/usb-...".
constexpr int kPortNameLength = 255;
constexpr int kComPortCount = 30;

QStringList portNames() {
    QStringList names;
    for (int i = 1; i <= kComPortCount; ++i) {
        names << QStringLiteral("COM%1").arg(i);
    }
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports) {
        if (!names.contains(port.portName())) {
            names << port.portName();
        }
    }
    return names;
}

} // namespace

CommunicationPage::CommunicationPage(Settings& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(buildSerialGroup());
    top->addWidget(buildOptions(), 1);
    layout->addLayout(top);
    auto* groups = new QHBoxLayout;
    groups->addWidget(buildRemoteGroup());
    groups->addWidget(buildEthernetGroup());
    layout->addLayout(groups);

    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setObjectName(QStringLiteral("Butt_apply"));

    m_apply->setAutoDefault(false); // Enter in a field must not apply
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Butt_cancel"));
    m_cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    connectRules();
    // Start from the values in force; a copy, since loading writes into the same object.
    const Settings current = m_settings;
    load(current);
}

QCheckBox* CommunicationPage::makeBox(const QString& caption, const char* name, bool Settings::*field) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QLatin1String(name));
    // Connected before the exclusion rules, so the field is current when a rule unticks a partner.
    connect(box, &QCheckBox::toggled, this, [this, field](bool ticked) { m_settings.*field = ticked; });
    m_copyToSettings.emplace_back([this, box, field] { m_settings.*field = box->isChecked(); });
    return box;
}

QLineEdit* CommunicationPage::makeEdit(const char* name, QString Settings::*field, int maxLength) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
    }
    connect(edit, &QLineEdit::textChanged, this,
            [this, field](const QString& text) { m_settings.*field = text; });
    m_copyToSettings.emplace_back([this, edit, field] { m_settings.*field = edit->text(); });
    return edit;
}

QSpinBox* CommunicationPage::makeSpin(const char* name, int Settings::*field, int min, int max) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(min, max);
    connect(spin, &QSpinBox::valueChanged, this, [this, field](int value) { m_settings.*field = value; });
    m_copyToSettings.emplace_back([this, spin, field] { m_settings.*field = spin->value(); });
    return spin;
}

QComboBox* CommunicationPage::makeCombo(const char* name, QString Settings::*field, const QStringList& items,
                                        int maxLength) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->lineEdit()->setMaxLength(maxLength);
    connect(combo, &QComboBox::currentTextChanged, this,
            [this, field](const QString& text) { m_settings.*field = text; });
    m_copyToSettings.emplace_back([this, combo, field] { m_settings.*field = combo->currentText(); });
    return combo;
}

void CommunicationPage::setSerialFieldsEnabled(bool enabled) {
    for (QWidget* field : {static_cast<QWidget*>(m_portName), static_cast<QWidget*>(m_speed),
                           static_cast<QWidget*>(m_parity)}) {
        field->setEnabled(enabled);
    }
}

void CommunicationPage::setPortCaption(const QString& caption) {
    m_portButton->setText(caption);
}

QWidget* CommunicationPage::buildSerialGroup() {
    m_serialGroup = new QGroupBox(QStringLiteral("   Serial port settings   "), this);
    m_serialGroup->setObjectName(QStringLiteral("Group_serial"));
    m_nameLabel = new QLabel(QStringLiteral("Name"), m_serialGroup);
    m_speedLabel = new QLabel(QStringLiteral("Speed"), m_serialGroup);
    m_parityLabel = new QLabel(QStringLiteral("Parity"), m_serialGroup);
    m_portName = makeCombo("Combo_port_name", &Settings::PortName, portNames(), kPortNameLength);
    m_portName->setMinimumContentsLength(14); // room for "/dev/ttyUSB0" and the like
    m_portName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_speed = makeCombo("Combo_speed", &Settings::Speed,
                        {QStringLiteral("300"), QStringLiteral("1200"), QStringLiteral("2400"),
                         QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200")},
                        6);
    m_parity = makeCombo("Combo_parity", &Settings::Parity,
                         {QStringLiteral("None"), QStringLiteral("Even"), QStringLiteral("Odd"),
                          QStringLiteral("Mark"), QStringLiteral("Space")},
                         5);
    m_rts = makeBox(QStringLiteral("RTS control"), "Check_rts", &Settings::Rts);
    m_dtr = makeBox(QStringLiteral("DTR control"), "Check_dtr", &Settings::Dtr);
    m_portButton = new QPushButton(QStringLiteral("Connect to port"), m_serialGroup);
    m_portButton->setObjectName(QStringLiteral("Butt_port"));
    m_portButton->setAutoDefault(false);
    m_portButton->hide();

    auto* grid = new QGridLayout(m_serialGroup);
    grid->addWidget(m_nameLabel, 0, 0);
    grid->addWidget(m_portName, 0, 1);
    grid->addWidget(m_speedLabel, 1, 0);
    grid->addWidget(m_speed, 1, 1);
    grid->addWidget(m_parityLabel, 2, 0);
    grid->addWidget(m_parity, 2, 1);
    grid->addWidget(m_rts, 3, 0, 1, 2);
    grid->addWidget(m_dtr, 4, 0, 1, 2);
    return m_serialGroup;
}

QWidget* CommunicationPage::buildOptions() {
    auto* options = new QWidget(this);
    m_lanXp = makeBox(QStringLiteral("Use LANXP"), "Check_lanxp", &Settings::UseLanXp);
    m_ferrinServ =
        makeBox(QStringLiteral("Use Ferrin-2 server version"), "Check_ferrin_serv", &Settings::UseFerrinServ);
    m_ethernet = makeBox(QStringLiteral("Use Ferrin-2 or Galdor-5 as clients"), "Check_ethernet",
                         &Settings::UseEthernet);
    m_nerit1 = makeBox(QStringLiteral("Nerit1"), "Check_nerit1", &Settings::UseNerit1);
    m_use5B = makeBox(QStringLiteral("Use 0x5B"), "Check_5b", &Settings::Use5B);
    m_globalInit =
        makeBox(QStringLiteral("Global initialization"), "Check_global_init", &Settings::GlobalInit);
    m_multitelegram =
        makeBox(QStringLiteral("Multi-telegram mode"), "Check_multitelegram", &Settings::Multitelegram);
    m_apator = makeBox(QStringLiteral("Decode Apator wMbus from Ravik"), "Check_apator", &Settings::WApator);
    m_techem = makeBox(QStringLiteral("Decode Techem wmBus"), "Check_techem", &Settings::WTechem);
    m_msb = makeBox(QStringLiteral("MSB"), "Check_msb", &Settings::MsbSearch);
    m_lsb = makeBox(QStringLiteral("LSB"), "Check_lsb", &Settings::LsbSearch);
    m_separatorLabel = new QLabel(QStringLiteral("Export separator:"), options);
    m_exportSeparator = makeEdit("Edit_export_separator", &Settings::ExportSeparator, 1);
    m_decSeparator = makeEdit("Edit_dec_separator", &Settings::DecSeparator, 1);
    m_retriesLabel = new QLabel(QStringLiteral("Retries"), options);
    m_retry = makeSpin("UD_retry", &Settings::Retry, 0, 9);
    m_fastReply = makeBox(QStringLiteral("End the wait when the answer is complete"), "Check_fast_reply",
                          &Settings::FastReply);

    // Two columns, each a block of its own, so that Tab goes down the channel choices before the decoding
    // ones.
    auto* channels = new QWidget(options);
    auto* channelColumn = new QVBoxLayout(channels);
    channelColumn->setContentsMargins(0, 0, 0, 0);
    for (QWidget* box : {m_lanXp, m_ferrinServ, m_ethernet, m_nerit1, m_use5B, m_globalInit}) {
        channelColumn->addWidget(box);
    }
    channelColumn->addStretch(1);
    auto* decoding = new QWidget(options);
    auto* decodingColumn = new QVBoxLayout(decoding);
    decodingColumn->setContentsMargins(0, 0, 0, 0);
    decodingColumn->addWidget(m_multitelegram);
    decodingColumn->addWidget(m_apator);
    decodingColumn->addWidget(m_techem);
    auto* search = new QHBoxLayout;
    search->addWidget(new QLabel(QStringLiteral("Secondary Search by"), decoding));
    search->addWidget(m_msb);
    search->addWidget(m_lsb);
    search->addStretch(1);
    decodingColumn->addLayout(search);
    auto* separators = new QHBoxLayout;
    m_separatorLabel->setBuddy(m_exportSeparator);
    separators->addWidget(m_separatorLabel);
    separators->addWidget(m_exportSeparator);
    auto* decimalLabel = new QLabel(QStringLiteral("Decimal separator:"), decoding);
    decimalLabel->setBuddy(m_decSeparator);
    separators->addWidget(decimalLabel);
    separators->addWidget(m_decSeparator);
    separators->addStretch(1);
    decodingColumn->addLayout(separators);
    auto* retries = new QHBoxLayout;
    m_retriesLabel->setBuddy(m_retry);
    retries->addWidget(m_retriesLabel);
    retries->addWidget(m_retry);
    retries->addStretch(1);
    decodingColumn->addLayout(retries);
    decodingColumn->addWidget(m_fastReply);
    decodingColumn->addStretch(1);
    auto* columns = new QHBoxLayout(options);
    columns->addWidget(channels);
    columns->addWidget(decoding, 1);
    return options;
}

QWidget* CommunicationPage::buildRemoteGroup() {
    m_remoteGroup = new QGroupBox(QStringLiteral("   Remote connection settings   "), this);
    m_remoteGroup->setObjectName(QStringLiteral("Group_remote"));
    m_remoteIp = makeEdit("Edit_remote_ip", &Settings::RemoteIp, 15);
    KeyFilter::install(m_remoteIp, KeyFilter::digitsAndDot());
    m_remotePort = makeEdit("Edit_remote_port", &Settings::RemotePort, 5);
    KeyFilter::install(m_remotePort, KeyFilter::digits());
    m_netNumber = makeEdit("Edit_net_number", &Settings::NetNumber, 0);
    KeyFilter::install(m_netNumber, KeyFilter::digitsAndDot());
    m_ethTimeout = makeSpin("UD_eth_timeout", &Settings::EthTimeout, 20, 999);
    m_closeTcp =
        makeBox(QStringLiteral("Close automatically connection"), "Check_close_tcp", &Settings::CloseTcp);

    auto* grid = new QGridLayout(m_remoteGroup);
    grid->addWidget(new QLabel(QStringLiteral("Remote IP number:"), m_remoteGroup), 0, 0);
    grid->addWidget(m_remoteIp, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Remote port:"), m_remoteGroup), 1, 0);
    grid->addWidget(m_remotePort, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Network number:"), m_remoteGroup), 2, 0);
    grid->addWidget(m_netNumber, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Ethernet timeout"), m_remoteGroup), 3, 0);
    auto* timeout = new QHBoxLayout;
    timeout->addWidget(m_ethTimeout);
    timeout->addWidget(new QLabel(QStringLiteral("x10ms"), m_remoteGroup));
    grid->addLayout(timeout, 3, 1);
    grid->addWidget(m_closeTcp, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    return m_remoteGroup;
}

QWidget* CommunicationPage::buildEthernetGroup() {
    m_ethernetGroup = new QGroupBox(QStringLiteral("   Ethernet settings   "), this);
    m_ethernetGroup->setObjectName(QStringLiteral("Group_ethernet"));
    m_listenPort = makeEdit("Edit_listen_port", &Settings::ListenPort, 0);
    KeyFilter::install(m_listenPort, KeyFilter::digits());
    m_autoOpen = makeBox(QStringLiteral("Auto open and listen"), "Check_auto_open", &Settings::AutoOpen);
    m_autoLumet = makeBox(QStringLiteral("Auto read Pavo Display"), "Check_auto_lumet", &Settings::AutoLumet);
    m_autoMbus =
        makeBox(QStringLiteral("Auto read m-bus by Primary address"), "Check_auto_mbus", &Settings::AutoMbus);
    m_autoSec =
        makeBox(QStringLiteral("Auto search secondary address"), "Check_auto_sec", &Settings::AutoSec);
    m_keepAlive = makeBox(QStringLiteral("Keep alive"), "Check_keep_alive", &Settings::KeepAlive);
    m_tReload = makeSpin("UD_treload", &Settings::TReload, 0, 9);
    m_acceptNetwork = makeBox(QStringLiteral("Accept only this network"), "Check_accept_network",
                              &Settings::AcceptOnlyNetwork);
    m_acceptedNetwork = makeEdit("Edit_accepted_network", &Settings::AcceptedNetwork, 15);
    KeyFilter::install(m_acceptedNetwork, KeyFilter::digitsAndDot());

    auto* grid = new QGridLayout(m_ethernetGroup);
    grid->addWidget(new QLabel(QStringLiteral("Port to listen:"), m_ethernetGroup), 0, 0);
    grid->addWidget(m_listenPort, 0, 1);
    grid->addWidget(m_autoOpen, 1, 0, 1, 2);
    grid->addWidget(m_autoLumet, 2, 0, 1, 2);
    grid->addWidget(m_autoMbus, 3, 0, 1, 2);
    grid->addWidget(m_autoSec, 4, 0, 1, 2);
    grid->addWidget(m_keepAlive, 5, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Timeout reload when GPRS"), m_ethernetGroup), 6, 0);
    grid->addWidget(m_tReload, 6, 1);
    grid->addWidget(m_acceptNetwork, 7, 0);
    grid->addWidget(m_acceptedNetwork, 7, 1);
    return m_ethernetGroup;
}

void CommunicationPage::connectRules() {
    connect(m_lanXp, &QCheckBox::toggled, this, &CommunicationPage::onLanXpToggled);
    connect(m_ferrinServ, &QCheckBox::toggled, this, &CommunicationPage::onFerrinServToggled);
    connect(m_ethernet, &QCheckBox::toggled, this, &CommunicationPage::onEthernetToggled);
    // Ticking either search order unticks the other (by code too); unticking one by a click ticks the other,
    // so a file with both orders cleared loads as both clear until the first click.
    connect(m_msb, &QCheckBox::toggled, this, [this](bool ticked) {
        if (ticked) {
            m_lsb->setChecked(false);
        }
    });
    connect(m_lsb, &QCheckBox::toggled, this, [this](bool ticked) {
        if (ticked) {
            m_msb->setChecked(false);
        }
    });
    connect(m_msb, &QCheckBox::clicked, this, &CommunicationPage::onMsbClicked);
    connect(m_lsb, &QCheckBox::clicked, this, &CommunicationPage::onLsbClicked);
    connect(m_autoLumet, &QCheckBox::toggled, this, &CommunicationPage::onAutoLumetToggled);
    connect(m_autoMbus, &QCheckBox::toggled, this, &CommunicationPage::onAutoMbusToggled);
    connect(m_autoSec, &QCheckBox::toggled, this, &CommunicationPage::onAutoSecToggled);
    connect(m_keepAlive, &QCheckBox::toggled, this, &CommunicationPage::onKeepAliveToggled);
}

void CommunicationPage::onLanXpToggled(bool ticked) {
    if (ticked) {
        m_ferrinServ->setChecked(false);
        m_ethernet->setChecked(false);
    }
    updateChannelGroups();
}

void CommunicationPage::onFerrinServToggled(bool ticked) {
    if (ticked) {
        m_lanXp->setChecked(false);
        m_ethernet->setChecked(false);
    }
    updateChannelGroups();
}

void CommunicationPage::onEthernetToggled(bool ticked) {
    if (ticked) {
        m_lanXp->setChecked(false);
        m_ferrinServ->setChecked(false);
    }
    updateChannelGroups();
}

void CommunicationPage::onMsbClicked(bool ticked) {
    if (!ticked) {
        m_lsb->setChecked(true);
    }
}

void CommunicationPage::onLsbClicked(bool ticked) {
    if (!ticked) {
        m_msb->setChecked(true);
    }
}

void CommunicationPage::onAutoLumetToggled(bool ticked) {
    if (ticked) {
        m_autoMbus->setChecked(false);
    }
}

void CommunicationPage::onAutoMbusToggled(bool ticked) {
    if (ticked) {
        m_autoLumet->setChecked(false);
        m_autoSec->setChecked(false);
        m_keepAlive->setChecked(false);
    }
}

void CommunicationPage::onAutoSecToggled(bool ticked) {
    if (ticked) {
        m_autoLumet->setChecked(false);
        m_autoMbus->setChecked(false);
        m_keepAlive->setChecked(false);
    }
}

void CommunicationPage::onKeepAliveToggled(bool ticked) {
    if (ticked) {
        m_autoLumet->setChecked(false);
        m_autoSec->setChecked(false);
        m_autoMbus->setChecked(false);
    }
}

// The remote group serves the two TCP client channels, the Ethernet group the listening server; with no
// channel box ticked the serial port is the channel and both groups are idle.
void CommunicationPage::updateChannelGroups() {
    m_remoteGroup->setEnabled(m_lanXp->isChecked() || m_ferrinServ->isChecked());
    m_ethernetGroup->setEnabled(m_ethernet->isChecked());
}

void CommunicationPage::load(const Settings& stored) {
    m_portName->setCurrentText(stored.PortName);
    m_speed->setCurrentText(stored.Speed);
    m_parity->setCurrentText(stored.Parity);
    m_rts->setChecked(stored.Rts);
    m_dtr->setChecked(stored.Dtr);
    m_exportSeparator->setText(stored.ExportSeparator);
    m_decSeparator->setText(stored.DecSeparator);
    m_retry->setValue(stored.Retry);
    m_fastReply->setChecked(stored.FastReply);
    m_ethernet->setChecked(stored.UseEthernet);
    m_lanXp->setChecked(stored.UseLanXp);
    m_ferrinServ->setChecked(stored.UseFerrinServ);
    m_nerit1->setChecked(stored.UseNerit1);
    m_use5B->setChecked(stored.Use5B);
    m_globalInit->setChecked(stored.GlobalInit);
    m_msb->setChecked(stored.MsbSearch);
    m_lsb->setChecked(stored.LsbSearch);
    m_multitelegram->setChecked(stored.Multitelegram);
    m_apator->setChecked(stored.WApator);
    m_techem->setChecked(stored.WTechem);
    m_listenPort->setText(stored.ListenPort);
    m_autoOpen->setChecked(stored.AutoOpen);
    m_autoLumet->setChecked(stored.AutoLumet);
    m_autoMbus->setChecked(stored.AutoMbus);
    m_autoSec->setChecked(stored.AutoSec);
    m_keepAlive->setChecked(stored.KeepAlive);
    m_tReload->setValue(stored.TReload);
    m_remoteIp->setText(stored.RemoteIp);
    m_remotePort->setText(stored.RemotePort);
    m_netNumber->setText(stored.NetNumber);
    m_ethTimeout->setValue(stored.EthTimeout);
    m_closeTcp->setChecked(stored.CloseTcp);
    updateChannelGroups();
    // A control that already showed the stored value sent no change: copy them all once.
    copyControlsToSettings();
}

void CommunicationPage::copyControlsToSettings() {
    for (const auto& copy : m_copyToSettings) {
        copy();
    }
}

void CommunicationPage::applyLanguage(const MessageLanguage& language) {
    m_serialGroup->setTitle(language.pick(QStringLiteral("   Serial port settings   "),
                                          QStringLiteral("   Impostazioni seriale   ")));
    m_nameLabel->setText(language.pick(QStringLiteral("Name"), QStringLiteral("Nome")));
    m_speedLabel->setText(language.pick(QStringLiteral("Speed"), QStringLiteral("Velocita")));
    m_parityLabel->setText(language.pick(QStringLiteral("Parity"), QStringLiteral("Parita")));
    m_separatorLabel->setText(
        language.pick(QStringLiteral("Export separator:"), QStringLiteral("Separatore:")));
    m_retriesLabel->setText(language.pick(QStringLiteral("Retries"), QStringLiteral("Tentativi")));
    m_cancel->setText(language.pick(QStringLiteral("Cancel"), QStringLiteral("Cancella")));
    m_apply->setText(language.pick(QStringLiteral("Apply"), QStringLiteral("Applica")));
}

} // namespace holvex
