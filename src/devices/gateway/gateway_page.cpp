#include "devices/gateway/gateway_page.h"

#include "lang/caption_table.h"
#include "lang/caption_view.h"
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
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace holvex::gateway {

namespace {

struct CaptionText {
    const char* name;
    const char* english;
    const char* italian;
};

// The page's rows of the main window's caption table.
constexpr CaptionText kCaptions[] = {
    {"Group_gw_network", "   Network related options   ", "   Impostazioni di rete   "},
    {"Label_gw_ipv4", "Set Own IPv4", "IPv4"},
    {"Label_gw_mask", "Set Netmask", "SubnetMask"},
    {"Label_gw_gate", "Set gateway IP", "Gateway"},
    {"Label_gw_netn", "Set Network number", "Numero di rete"},
    {"Label_gw_apn", "Set access point name (APN)", "Nome APN"},
    {"Label_gw_phone", "Set phone number (0 = delete)", "Numero di telefono (0 = cancella)"},
    {"Label_gw_ipma", "Manufacturer IP", "IP di fabbrica"},
    {"Label_gw_ipco", "Control IP", "IP Controllore"},
    {"Label_gw_ipop", "Operator IP", "IP Operatore"},
    {"Label_gw_pin", "Set PIN code", "Imposta PIN"},
    {"Label_gw_user", "Set GPRS user (0 = delete)", "Imposta User GPRS (0 = cancella)"},
    {"Label_gw_pass", "Set GPRS password (0 = delete)", "Imposta Psw GPRS (0 = cancella)"},
    {"Group_gw_other", "   Other options   ", "   Altre opzioni   "},
    {"Label_gw_speed", "Serial speed", "Velocita"},
    {"Label_gw_parity", "Serial parity", "Parita"},
    {"Label_gw_day", "Day", "Giorno"},
    {"Label_gw_hour", "Hour", "Ora"},
    {"Label_gw_minute", "Minute", "Minuti"},
    {"Label_gw_dued", "Set Due date (dd/hh/mm)", "Impostata data conn."},
    {"Label_gw_retn", "Set number of connect retries", "Imposta numero tentative connessione"},
    {"Label_gw_reti", "Set retry timeoue (0.1 - 5s)", "Imposta timeout risposta (0.1 - 5s)"},
    {"Label_gw_pito", "Set Ping server timeout (1-48)", "Imposta timeout Ping server (1-48)"},
    {"Label_gw_neto", "m-bus response time (0.3 - 2.5s)", "Timeout risposte M-BUS  (0.3 - 2.5s)"},
    {"Butt_gw_gprs_info", "Get GPRS Info", "Acquisisci info GPRS"},
    {"Butt_gw_gprs_status", "Get GPRS status", "Acquisisci stato GPRS"},
    {"Butt_gw_date", "Set Date", "Imposta Data"},
    {"Butt_gw_time", "Set Time", "Imposta Ora"},
    {"Butt_gw_main_info", "Main info", "Informaz. principali"},
    {"Butt_gw_serv_info", "Service info", "Informaz. Di servizio"},
    {"Butt_gw_connection", "Connection", "Connessione"},
    {"Butt_gw_ops_info", "OPs info", "Info OP"},
    {"Butt_gw_test_ip", "Test IP", "Test IP"},
};

// The eighteen "Set" buttons, "Butt_gw_set_" + key.
constexpr const char* kSetKeys[] = {"ipv4", "mask", "gate", "netn", "ipma", "ipco", "ipop", "apn",  "phone",
                                    "pin",  "user", "pass", "com2", "dued", "retn", "reti", "pito", "neto"};

QString named(const char* prefix, const char* key) {
    return QLatin1String(prefix) + QLatin1String(key);
}

QLabel* makeLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

// The English caption of a row of the table, so the controls read right before the first language pass.
QString englishCaption(const QString& name) {
    for (const CaptionText& text : kCaptions) {
        if (name == QLatin1String(text.name)) {
            return QString::fromLatin1(text.english);
        }
    }
    return QString();
}

} // namespace

GatewayPage::GatewayPage(const PageContext& context, QWidget* parent) : QWidget(parent), m_page(context) {
    setObjectName(QStringLiteral("GatewayPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildProductRow());
    layout->addWidget(buildNetworkGroup());
    layout->addWidget(buildOtherGroup());
    layout->addStretch(1);
    addCaptions();
    applyProduct();
    applyCaptions(this, m_page.captions, m_page.language.ticked());
}

QPushButton* GatewayPage::makeButton(GatewayControl control, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    m_buttons[static_cast<size_t>(control)] = button;
    connect(button, &QPushButton::clicked, this, [this, control] { emit controlPressed(control); });
    if (productControlOf(control)) {
        bindToProduct(control, button);
    }
    return button;
}

QLineEdit* GatewayPage::makeField(const char* key, int maxLength, bool ipField) {
    auto* field = new QLineEdit(this);
    field->setObjectName(named("Edit_gw_", key));
    field->setMaxLength(maxLength);
    if (ipField) {
        KeyFilter::install(field, KeyFilter::digitsAndDot());
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255")) +
                               16);
    }
    return field;
}

QSpinBox* GatewayPage::makeSpin(const char* key, const SpinRange& range) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(named("UD_gw_", key));
    spin->setRange(range.minimum, range.maximum);
    spin->setValue(range.initial);
    KeyFilter::install(spin, KeyFilter::digits());
    if (auto* edit = spin->findChild<QLineEdit*>()) {
        edit->setMaxLength(2);
        KeyFilter::install(edit, KeyFilter::digits());
    }
    spin->setMinimumWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 32);
    return spin;
}

void GatewayPage::bindToProduct(GatewayControl control, QWidget* widget) {
    m_productBound.emplace_back(control, widget);
}

void GatewayPage::addSetRow(QGridLayout* grid, int row, int column, GatewayControl control, const char* key,
                            QWidget* field) {
    QLabel* label = makeLabel(named("Label_gw_", key), this);
    label->setText(englishCaption(label->objectName()));
    QPushButton* set = makeButton(control, named("Butt_gw_set_", key), QStringLiteral("Set"));
    grid->addWidget(label, row, column);
    // Up-down boxes keep the width of their two digits.
    grid->addWidget(field, row, column + 1, qobject_cast<QSpinBox*>(field) ? Qt::AlignLeft : Qt::Alignment());
    grid->addWidget(set, row, column + 2);
    if (productControlOf(control)) {
        bindToProduct(control, label);
        bindToProduct(control, field);
    }
}

QWidget* GatewayPage::buildProductRow() {
    auto* row = new QWidget(this);
    m_galdor = new QCheckBox(QStringLiteral("Galdor"), row);
    m_galdor->setObjectName(QStringLiteral("Check_gw_galdor"));
    m_ferrin = new QCheckBox(QStringLiteral("Ferrin"), row);
    m_ferrin->setObjectName(QStringLiteral("Check_gw_ferrin"));
    m_ferrin->setChecked(true);
    connect(m_galdor, &QCheckBox::toggled, this, &GatewayPage::Check_galdorClick);
    connect(m_ferrin, &QCheckBox::toggled, this, &GatewayPage::Check_ferrinClick);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_galdor);
    layout->addWidget(m_ferrin);
    layout->addStretch(1);
    return row;
}

QWidget* GatewayPage::buildNetworkGroup() {
    auto* group = new QGroupBox(englishCaption(QStringLiteral("Group_gw_network")), this);
    group->setObjectName(QStringLiteral("Group_gw_network"));
    auto* grid = new QGridLayout(group);

    // The gateway's own network and the servers it calls, on the left.
    m_ownIp = makeField("ipv4", kIpFieldLength, true);
    m_netmask = makeField("mask", kIpFieldLength, true);
    m_gatewayIp = makeField("gate", kIpFieldLength, true);
    m_networkNumber = makeField("netn", kIpFieldLength, true);
    m_manufacturerIp = makeField("ipma", kIpFieldLength, true);
    m_controlIp = makeField("ipco", kIpFieldLength, true);
    m_operatorIp = makeField("ipop", kIpFieldLength, true);
    addSetRow(grid, 0, 0, GatewayControl::OwnIp, "ipv4", m_ownIp);
    addSetRow(grid, 1, 0, GatewayControl::Netmask, "mask", m_netmask);
    addSetRow(grid, 2, 0, GatewayControl::GatewayIp, "gate", m_gatewayIp);
    addSetRow(grid, 3, 0, GatewayControl::NetworkNumber, "netn", m_networkNumber);
    addSetRow(grid, 4, 0, GatewayControl::ManufacturerIp, "ipma", m_manufacturerIp);
    addSetRow(grid, 5, 0, GatewayControl::ControlIp, "ipco", m_controlIp);
    addSetRow(grid, 6, 0, GatewayControl::OperatorIp, "ipop", m_operatorIp);
    auto* boxes = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(QStringLiteral("#%1").arg(i + 1), group);
        box->setObjectName(QStringLiteral("Check_gw_op%1").arg(i + 1));
        connect(box, &QCheckBox::toggled, this, [this, i](bool checked) { Check_operatorClick(i, checked); });
        m_operatorBoxes[static_cast<size_t>(i)] = box;
        boxes->addWidget(box);
    }
    boxes->addStretch(1);
    grid->addLayout(boxes, 7, 1);
    grid->addWidget(makeButton(GatewayControl::TestIp, QStringLiteral("Butt_gw_test_ip"),
                               englishCaption(QStringLiteral("Butt_gw_test_ip"))),
                    7, 2);
    for (QLineEdit* field : {m_manufacturerIp, m_controlIp, m_operatorIp}) {
        connect(field, &QLineEdit::textChanged, this, &GatewayPage::announceServerAddresses);
    }

    // The GPRS connection, on the right.
    m_apn = makeField("apn", kApnLength, false);
    m_phone = makeField("phone", kPhoneLength, false);
    m_pin = makeField("pin", kPinLength, false);
    KeyFilter::install(m_pin, KeyFilter::digits());
    m_gprsUser = makeField("user", kGprsUserLength, false);
    m_gprsPassword = makeField("pass", kGprsPasswordLength, false);
    grid->setColumnMinimumWidth(3, 24);
    addSetRow(grid, 0, 4, GatewayControl::Apn, "apn", m_apn);
    addSetRow(grid, 1, 4, GatewayControl::Phone, "phone", m_phone);
    addSetRow(grid, 2, 4, GatewayControl::Pin, "pin", m_pin);
    addSetRow(grid, 3, 4, GatewayControl::GprsUser, "user", m_gprsUser);
    addSetRow(grid, 4, 4, GatewayControl::GprsPassword, "pass", m_gprsPassword);
    auto* requests = new QHBoxLayout;
    requests->addWidget(makeButton(GatewayControl::GprsInfo, QStringLiteral("Butt_gw_gprs_info"),
                                   englishCaption(QStringLiteral("Butt_gw_gprs_info"))));
    requests->addWidget(makeButton(GatewayControl::GprsStatus, QStringLiteral("Butt_gw_gprs_status"),
                                   englishCaption(QStringLiteral("Butt_gw_gprs_status"))));
    requests->addStretch(1);
    grid->addLayout(requests, 5, 4, 1, 3);
    grid->setColumnStretch(7, 1);
    return group;
}

QWidget* GatewayPage::buildOtherGroup() {
    auto* group = new QGroupBox(englishCaption(QStringLiteral("Group_gw_other")), this);
    group->setObjectName(QStringLiteral("Group_gw_other"));
    auto* grid = new QGridLayout(group);

    // The gateway's M-Bus port: speed and parity with one "Set".
    m_speed = new QComboBox(group);
    m_speed->setObjectName(QStringLiteral("Combo_gw_speed"));
    m_speed->setEditable(true);
    m_speed->addItems(serialSpeedChoices());
    m_speed->setCurrentText(QStringLiteral("2400"));
    m_parity = new QComboBox(group);
    m_parity->setObjectName(QStringLiteral("Combo_gw_parity"));
    m_parity->setEditable(true);
    m_parity->addItems(serialParityChoices());
    m_parity->setCurrentText(QStringLiteral("Even"));
    auto* serial = new QHBoxLayout;
    for (const auto& [key, box] : {std::pair{"speed", m_speed}, std::pair{"parity", m_parity}}) {
        QLabel* label = makeLabel(named("Label_gw_", key), group);
        label->setText(englishCaption(label->objectName()));
        serial->addWidget(label);
        serial->addWidget(box);
    }
    serial->addStretch(1);
    grid->addLayout(serial, 0, 0, 1, 2);
    grid->addWidget(
        makeButton(GatewayControl::SerialPort, QStringLiteral("Butt_gw_set_com2"), QStringLiteral("Set")), 0,
        2);

    // The automatic read-out: day, hour and minute with one "Set".
    m_dueDay = makeSpin("day", kDueDayRange);
    m_dueHour = makeSpin("hour", kDueHourRange);
    m_dueMinute = makeSpin("minute", kDueMinuteRange);
    QLabel* dueLabel = makeLabel(QStringLiteral("Label_gw_dued"), group);
    dueLabel->setText(englishCaption(dueLabel->objectName()));
    auto* due = new QHBoxLayout;
    for (const auto& [key, spin] :
         {std::pair{"day", m_dueDay}, std::pair{"hour", m_dueHour}, std::pair{"minute", m_dueMinute}}) {
        QLabel* label = makeLabel(named("Label_gw_", key), group);
        label->setText(englishCaption(label->objectName()));
        due->addWidget(label);
        due->addWidget(spin);
    }
    due->addStretch(1);
    grid->addWidget(dueLabel, 1, 0);
    grid->addLayout(due, 1, 1);
    grid->addWidget(
        makeButton(GatewayControl::DueDate, QStringLiteral("Butt_gw_set_dued"), QStringLiteral("Set")), 1, 2);

    m_connectRetries = makeSpin("retn", kConnectRetriesRange);
    m_retryTimeout = makeSpin("reti", kRetryTimeoutRange);
    m_pingTimeout = makeSpin("pito", kPingTimeoutRange);
    m_mbusTimeout = makeSpin("neto", kMbusTimeoutRange);
    addSetRow(grid, 2, 0, GatewayControl::ConnectRetries, "retn", m_connectRetries);
    addSetRow(grid, 3, 0, GatewayControl::RetryTimeout, "reti", m_retryTimeout);
    addSetRow(grid, 4, 0, GatewayControl::PingTimeout, "pito", m_pingTimeout);
    addSetRow(grid, 5, 0, GatewayControl::MbusTimeout, "neto", m_mbusTimeout);

    // The one-press commands and the information requests, on the right.
    struct OwnButton {
        GatewayControl control;
        const char* name;
        int row;
        int column;
    };
    const OwnButton buttons[] = {
        {GatewayControl::Date, "Butt_gw_date", 0, 0},
        {GatewayControl::Time, "Butt_gw_time", 0, 1},
        {GatewayControl::AsServer, "Butt_gw_server", 1, 0},
        {GatewayControl::AsClient, "Butt_gw_client", 1, 1},
        {GatewayControl::MainInfo, "Butt_gw_main_info", 2, 0},
        {GatewayControl::ServiceInfo, "Butt_gw_serv_info", 2, 1},
        {GatewayControl::Connection, "Butt_gw_connection", 3, 0},
        {GatewayControl::OperatorInfo, "Butt_gw_ops_info", 3, 1},
    };
    auto* right = new QGridLayout;
    for (const OwnButton& entry : buttons) {
        const QString name = QLatin1String(entry.name);
        QString text = englishCaption(name);
        if (entry.control == GatewayControl::AsServer) {
            text = QStringLiteral("Set as server");
        } else if (entry.control == GatewayControl::AsClient) {
            text = QStringLiteral("Set as client");
        }
        right->addWidget(makeButton(entry.control, name, text), entry.row, entry.column);
    }
    grid->setColumnMinimumWidth(3, 24);
    grid->addLayout(right, 0, 4, 6, 1, Qt::AlignTop);
    grid->setColumnStretch(5, 1);
    return group;
}

void GatewayPage::addCaptions() {
    CaptionTable& captions = m_page.captions;
    for (const CaptionText& text : kCaptions) {
        captions.add(QLatin1String(text.name), QString::fromLatin1(text.english),
                     QString::fromLatin1(text.italian));
    }
    for (const char* key : kSetKeys) {
        captions.add(named("Butt_gw_set_", key), QStringLiteral("Set"), QStringLiteral("Imposta"));
    }
}

GatewayInputs GatewayPage::inputs() const {
    GatewayInputs in;
    in.ownIp = m_ownIp->text();
    in.netmask = m_netmask->text();
    in.gatewayIp = m_gatewayIp->text();
    in.networkNumber = m_networkNumber->text();
    in.manufacturerIp = m_manufacturerIp->text();
    in.controlIp = m_controlIp->text();
    in.operatorIp = m_operatorIp->text();
    for (size_t i = 0; i < m_operatorBoxes.size(); ++i) {
        in.operatorBoxes[i] = m_operatorBoxes[i]->isChecked();
    }
    in.apn = m_apn->text();
    in.phone = m_phone->text();
    in.pin = m_pin->text();
    in.gprsUser = m_gprsUser->text();
    in.gprsPassword = m_gprsPassword->text();
    in.speed = m_speed->currentText();
    in.parity = m_parity->currentText();
    in.dueDay = m_dueDay->cleanText();
    in.dueHour = m_dueHour->cleanText();
    in.dueMinute = m_dueMinute->cleanText();
    in.connectRetries = m_connectRetries->cleanText();
    in.retryTimeout = m_retryTimeout->cleanText();
    in.pingTimeout = m_pingTimeout->cleanText();
    in.mbusTimeout = m_mbusTimeout->cleanText();
    return in;
}

GatewayProduct GatewayPage::product() const {
    return m_product;
}

void GatewayPage::setProduct(GatewayProduct product) {
    m_product = product;
    const QSignalBlocker galdor(m_galdor);
    const QSignalBlocker ferrin(m_ferrin);
    m_galdor->setChecked(product == GatewayProduct::Galdor);
    m_ferrin->setChecked(product == GatewayProduct::Ferrin);
    applyProduct();
}

void GatewayPage::applyProduct() {
    for (const auto& [control, widget] : m_productBound) {
        widget->setEnabled(controlEnabledFor(control, m_product));
    }
}

void GatewayPage::Check_galdorClick(bool checked) {
    // Exactly one product is chosen: unticking one ticks the other.
    setProduct(checked ? GatewayProduct::Galdor : GatewayProduct::Ferrin);
}

void GatewayPage::Check_ferrinClick(bool checked) {
    setProduct(checked ? GatewayProduct::Ferrin : GatewayProduct::Galdor);
}

void GatewayPage::Check_operatorClick(int index, bool checked) {
    if (!checked) {
        return;
    }
    for (size_t i = 0; i < m_operatorBoxes.size(); ++i) {
        if (static_cast<int>(i) != index) {
            m_operatorBoxes[i]->setChecked(false);
        }
    }
}

QCheckBox* GatewayPage::operatorBox(int index) const {
    return index >= 0 && index < static_cast<int>(m_operatorBoxes.size())
               ? m_operatorBoxes[static_cast<size_t>(index)]
               : nullptr;
}

QPushButton* GatewayPage::button(GatewayControl control) const {
    return m_buttons[static_cast<size_t>(control)];
}

void GatewayPage::press(GatewayControl control) {
    QPushButton* pressed = button(control);
    if (pressed != nullptr && pressed->isEnabled()) {
        pressed->click();
    }
}

void GatewayPage::setServerAddresses(const QString& manufacturer, const QString& control,
                                     const QString& operatorIp) {
    const QSignalBlocker manufacturerBlock(m_manufacturerIp);
    const QSignalBlocker controlBlock(m_controlIp);
    const QSignalBlocker operatorBlock(m_operatorIp);
    m_manufacturerIp->setText(manufacturer);
    m_controlIp->setText(control);
    m_operatorIp->setText(operatorIp);
}

void GatewayPage::announceServerAddresses() {
    emit serverAddressesChanged(m_manufacturerIp->text(), m_controlIp->text(), m_operatorIp->text());
}

} // namespace holvex::gateway
