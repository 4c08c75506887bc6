#pragma once

#include "settings/settings.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace holvex {

class MessageLanguage;

// The first page of the settings dialog: serial port, channel, search and export options, the remote
// connection and the listening server. Its controls are the live settings: every change is written into the
// Settings object at once, and the exclusion rules run for a tick by code exactly as for a click.
//
// Object names of the controls:
//   Group_serial, Combo_port_name, Combo_speed, Combo_parity, Check_rts, Check_dtr,
//   Check_lanxp, Check_ferrin_serv, Check_ethernet, Check_nerit1, Check_5b, Check_global_init,
//   Check_multitelegram, Check_apator, Check_techem, Check_msb, Check_lsb,
//   Edit_export_separator, Edit_dec_separator, UD_retry, Check_fast_reply,
//   Group_remote, Edit_remote_ip, Edit_remote_port, Edit_net_number, UD_eth_timeout, Check_close_tcp,
//   Group_ethernet, Edit_listen_port, Check_auto_open, Check_auto_lumet, Check_auto_mbus, Check_auto_sec,
//   Check_keep_alive, UD_treload, Check_accept_network, Edit_accepted_network,
//   Butt_apply, Butt_cancel.
class CommunicationPage : public QWidget {
    Q_OBJECT
public:
    explicit CommunicationPage(Settings& settings, QWidget* parent = nullptr);

    // Fills the controls from stored values one by one, in the order of the settings file's keys; among boxes
    // that exclude each other the one set last wins. "Accept only this network" is not stored and is left as
    // it is.
    void load(const Settings& stored);
    void applyLanguage(const MessageLanguage& language);

    QPushButton* applyButton() const { return m_apply; }
    QPushButton* cancelButton() const { return m_cancel; }
    // The hidden port button ("Connect to port" / "Disconnect"), which the port's opening and closing
    // caption.
    QPushButton* portButton() const { return m_portButton; }

    // The port's name, speed and parity cannot change while the port is open.
    void setSerialFieldsEnabled(bool enabled);
    void setPortCaption(const QString& caption);

private:
    QWidget* buildSerialGroup();
    QWidget* buildOptions();
    QWidget* buildRemoteGroup();
    QWidget* buildEthernetGroup();
    QCheckBox* makeBox(const QString& caption, const char* name, bool Settings::*field);
    QLineEdit* makeEdit(const char* name, QString Settings::*field, int maxLength);
    QSpinBox* makeSpin(const char* name, int Settings::*field, int min, int max);
    QComboBox* makeCombo(const char* name, QString Settings::*field, const QStringList& items, int maxLength);
    void connectRules();
    void updateChannelGroups();
    void copyControlsToSettings();

    void onLanXpToggled(bool ticked);
    void onFerrinServToggled(bool ticked);
    void onEthernetToggled(bool ticked);
    void onMsbClicked(bool ticked);
    void onLsbClicked(bool ticked);
    void onAutoLumetToggled(bool ticked);
    void onAutoMbusToggled(bool ticked);
    void onAutoSecToggled(bool ticked);
    void onKeepAliveToggled(bool ticked);

    Settings& m_settings;
    // One entry per bound control: copies the control's value into the settings.
    std::vector<std::function<void()>> m_copyToSettings;

    QGroupBox* m_serialGroup = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_speedLabel = nullptr;
    QLabel* m_parityLabel = nullptr;
    QComboBox* m_portName = nullptr;
    QComboBox* m_speed = nullptr;
    QComboBox* m_parity = nullptr;
    QCheckBox* m_rts = nullptr;
    QCheckBox* m_dtr = nullptr;
    QPushButton* m_portButton = nullptr;

    QCheckBox* m_lanXp = nullptr;
    QCheckBox* m_ferrinServ = nullptr;
    QCheckBox* m_ethernet = nullptr;
    QCheckBox* m_nerit1 = nullptr;
    QCheckBox* m_use5B = nullptr;
    QCheckBox* m_globalInit = nullptr;
    QCheckBox* m_multitelegram = nullptr;
    QCheckBox* m_fastReply = nullptr;
    QCheckBox* m_apator = nullptr;
    QCheckBox* m_techem = nullptr;
    QCheckBox* m_msb = nullptr;
    QCheckBox* m_lsb = nullptr;
    QLabel* m_separatorLabel = nullptr;
    QLineEdit* m_exportSeparator = nullptr;
    QLineEdit* m_decSeparator = nullptr;
    QLabel* m_retriesLabel = nullptr;
    QSpinBox* m_retry = nullptr;

    QGroupBox* m_remoteGroup = nullptr;
    QLineEdit* m_remoteIp = nullptr;
    QLineEdit* m_remotePort = nullptr;
    QLineEdit* m_netNumber = nullptr;
    QSpinBox* m_ethTimeout = nullptr;
    QCheckBox* m_closeTcp = nullptr;

    QGroupBox* m_ethernetGroup = nullptr;
    QLineEdit* m_listenPort = nullptr;
    QCheckBox* m_autoOpen = nullptr;
    QCheckBox* m_autoLumet = nullptr;
    QCheckBox* m_autoMbus = nullptr;
    QCheckBox* m_autoSec = nullptr;
    QCheckBox* m_keepAlive = nullptr;
    QSpinBox* m_tReload = nullptr;
    QCheckBox* m_acceptNetwork = nullptr;
    QLineEdit* m_acceptedNetwork = nullptr;

    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace holvex
