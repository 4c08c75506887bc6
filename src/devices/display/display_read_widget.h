#pragma once

#include "devices/display/display_readout.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace holvex {
class CaptionTable;
}

namespace holvex::display {

// Page 3's read-out controls: "Read Data ", "Read values" with its "Main" / "Tarriff" boxes (checking one
// clears the other; both may be clear), and the "   General info   " group whose choice "Get info" asks for.
// The buttons only announce; the reads run on the bus.
class DisplayReadWidget : public QWidget {
    Q_OBJECT
public:
    explicit DisplayReadWidget(QWidget* parent = nullptr);

    static void addCaptions(CaptionTable& captions);

    QPushButton* readDataButton() const { return m_readData; }
    QPushButton* readValuesButton() const { return m_readValues; }
    QCheckBox* mainBox() const { return m_main; }
    QCheckBox* tariffBox() const { return m_tariff; }
    QGroupBox* infoGroup() const { return m_infoGroup; }
    QComboBox* infoChoice() const { return m_infoChoice; }
    QPushButton* infoButton() const { return m_info; }

    // The ticked box of "Read values", none when both are clear.
    std::optional<DisplayValues> values() const;
    DisplayInfo info() const;

signals:
    void readDataRequested();
    void readValuesRequested();
    void infoRequested();

private:
    QPushButton* m_readData = nullptr;
    QPushButton* m_readValues = nullptr;
    QCheckBox* m_main = nullptr;
    QCheckBox* m_tariff = nullptr;
    QGroupBox* m_infoGroup = nullptr;
    QComboBox* m_infoChoice = nullptr;
    QPushButton* m_info = nullptr;
};

} // namespace holvex::display
