#pragma once

#include "devices/gateway/gateway_controls.h"
#include "ui/page_context.h"

#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace holvex::gateway {

// Page 2 of the main window, "   Communication devices   ": the settings of the maker's gateways (Ferrin-2,
// Ethernet; Galdor-5, GPRS) with one field and one "Set" button each, the product selector that enables the
// controls of the chosen product, the four exclusive operator-IP boxes and the information requests. The page
// holds no bus logic: a press announces controlPressed and whoever runs it reads inputs().
//
// The "Manufacturer IP", "Control IP" and "Operator IP" fields show the window's server addresses (IPMA,
// IPCO, IPO1 of the settings file); every edit is announced by serverAddressesChanged.
class GatewayPage : public QWidget {
    Q_OBJECT
public:
    GatewayPage(const PageContext& context, QWidget* parent);

    // What the fields hold now.
    GatewayInputs inputs() const;

    // The product selector: exactly one of "Galdor" and "Ferrin" is ticked ("Ferrin" at start).
    GatewayProduct product() const;
    void setProduct(GatewayProduct product);

    void setServerAddresses(const QString& manufacturer, const QString& control, const QString& operatorIp);

    QPushButton* button(GatewayControl control) const;
    QCheckBox* galdorBox() const { return m_galdor; }
    QCheckBox* ferrinBox() const { return m_ferrin; }
    // "#1" .. "#4" by index 0 .. 3.
    QCheckBox* operatorBox(int index) const;

    // Presses the control's button; a disabled button does nothing.
    void press(GatewayControl control);

signals:
    void controlPressed(holvex::gateway::GatewayControl control);
    void serverAddressesChanged(const QString& manufacturer, const QString& control,
                                const QString& operatorIp);

private:
    QWidget* buildProductRow();
    QWidget* buildNetworkGroup();
    QWidget* buildOtherGroup();
    void addCaptions();
    // A label, a field and its "Set" button in one row of `grid`; the three follow the product selector when
    // the control belongs to one product.
    void addSetRow(QGridLayout* grid, int row, int column, GatewayControl control, const char* key,
                   QWidget* field);
    QPushButton* makeButton(GatewayControl control, const QString& name, const QString& text);
    QLineEdit* makeField(const char* key, int maxLength, bool ipField);
    QSpinBox* makeSpin(const char* key, const SpinRange& range);
    void bindToProduct(GatewayControl control, QWidget* widget);
    void applyProduct();
    void announceServerAddresses();

    void Check_galdorClick(bool checked);
    void Check_ferrinClick(bool checked);
    void Check_operatorClick(int index, bool checked);

    PageContext m_page;
    GatewayProduct m_product = GatewayProduct::Ferrin;
    std::array<QPushButton*, kGatewayControlCount> m_buttons{};
    std::vector<std::pair<GatewayControl, QWidget*>> m_productBound;

    QCheckBox* m_galdor = nullptr;
    QCheckBox* m_ferrin = nullptr;
    std::array<QCheckBox*, 4> m_operatorBoxes{};
    QLineEdit* m_ownIp = nullptr;
    QLineEdit* m_netmask = nullptr;
    QLineEdit* m_gatewayIp = nullptr;
    QLineEdit* m_networkNumber = nullptr;
    QLineEdit* m_manufacturerIp = nullptr;
    QLineEdit* m_controlIp = nullptr;
    QLineEdit* m_operatorIp = nullptr;
    QLineEdit* m_apn = nullptr;
    QLineEdit* m_phone = nullptr;
    QLineEdit* m_pin = nullptr;
    QLineEdit* m_gprsUser = nullptr;
    QLineEdit* m_gprsPassword = nullptr;
    QComboBox* m_speed = nullptr;
    QComboBox* m_parity = nullptr;
    QSpinBox* m_dueDay = nullptr;
    QSpinBox* m_dueHour = nullptr;
    QSpinBox* m_dueMinute = nullptr;
    QSpinBox* m_connectRetries = nullptr;
    QSpinBox* m_retryTimeout = nullptr;
    QSpinBox* m_pingTimeout = nullptr;
    QSpinBox* m_mbusTimeout = nullptr;
};

} // namespace holvex::gateway
