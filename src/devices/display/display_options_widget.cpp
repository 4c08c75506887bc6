#include "devices/display/display_options_widget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSignalBlocker>

namespace holvex::display {

namespace {

std::size_t indexOf(DisplayOption option) {
    return static_cast<std::size_t>(option);
}

} // namespace

QString DisplayOptionsWidget::boxName(DisplayOption option) {
    switch (option) {
    case DisplayOption::Activate:
        return QStringLiteral("Check_lumet_activate");
    case DisplayOption::Units:
        return QStringLiteral("Check_lumet_units");
    case DisplayOption::Multiplier:
        return QStringLiteral("Check_lumet_multiplier");
    case DisplayOption::Divider:
        return QStringLiteral("Check_lumet_divider");
    case DisplayOption::InitialValue:
        return QStringLiteral("Check_lumet_initial");
    case DisplayOption::UserNumber:
        return QStringLiteral("Check_lumet_user_number");
    case DisplayOption::FreeText:
        return QStringLiteral("Check_lumet_text");
    case DisplayOption::FreeText2:
        return QStringLiteral("Check_lumet_text2");
    case DisplayOption::Delete:
        return QStringLiteral("Check_lumet_delete");
    case DisplayOption::ZeroInitials:
        break;
    }
    return QStringLiteral("Check_lumet_zero_initials");
}

DisplayOptionsWidget::DisplayOptionsWidget(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("Group_lumet_options"));
    auto* layout = new QGridLayout(this);
    int position = 0;
    for (const DisplayOption option : displayOptionsInOrder()) {
        auto* box = new QCheckBox(displayOptionCaption(option), this);
        box->setObjectName(boxName(option));
        m_boxes[indexOf(option)] = box;
        // Two columns, in priority order down the first column first.
        layout->addWidget(box, position % 5, position / 5);
        ++position;
        connect(box, &QCheckBox::toggled, this,
                [this, option](bool ticked) { emit optionToggled(option, ticked); });
    }
}

QCheckBox* DisplayOptionsWidget::box(DisplayOption option) const {
    return m_boxes[indexOf(option)];
}

void DisplayOptionsWidget::setOptions(const DisplayOptions& options) {
    for (const DisplayOption option : displayOptionsInOrder()) {
        QCheckBox* check = box(option);
        const QSignalBlocker blocker(check);
        check->setChecked(options.isTicked(option));
    }
}

} // namespace holvex::display
