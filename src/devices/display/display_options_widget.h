#pragma once

#include "devices/display/display_options.h"

#include <QGroupBox>

#include <array>

class QCheckBox;

namespace holvex::display {

// The ten property boxes of the table write, in their priority order. The boxes show a DisplayOptions (the
// write's own, which clears a box at the end of its pass) and report the operator's clicks; the exclusions of
// "DELETE" are the options' rule, shown back through setOptions.
class DisplayOptionsWidget : public QGroupBox {
    Q_OBJECT

public:
    explicit DisplayOptionsWidget(QWidget* parent = nullptr);

    QCheckBox* box(DisplayOption option) const;
    // Shows the options without reporting them back.
    void setOptions(const DisplayOptions& options);

    // Object name of an option's box ("Check_lumet_units" ...).
    static QString boxName(DisplayOption option);

signals:
    void optionToggled(holvex::display::DisplayOption option, bool ticked);

private:
    std::array<QCheckBox*, kDisplayOptionCount> m_boxes{};
};

} // namespace holvex::display
