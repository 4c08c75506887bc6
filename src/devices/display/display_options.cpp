#include "devices/display/display_options.h"

namespace holvex::display {

const std::array<DisplayOption, kDisplayOptionCount>& displayOptionsInOrder() {
    static const std::array<DisplayOption, kDisplayOptionCount> kOrder{
        DisplayOption::Activate,     DisplayOption::Units,        DisplayOption::Multiplier,
        DisplayOption::Divider,      DisplayOption::InitialValue, DisplayOption::UserNumber,
        DisplayOption::FreeText,     DisplayOption::FreeText2,    DisplayOption::Delete,
        DisplayOption::ZeroInitials,
    };
    return kOrder;
}

QString displayOptionCaption(DisplayOption option) {
    switch (option) {
    case DisplayOption::Activate:
        return QStringLiteral("Activate");
    case DisplayOption::Units:
        return QStringLiteral("Units");
    case DisplayOption::Multiplier:
        return QStringLiteral("Multiplier");
    case DisplayOption::Divider:
        return QStringLiteral("Divider");
    case DisplayOption::InitialValue:
        return QStringLiteral("Initial value");
    case DisplayOption::UserNumber:
        return QStringLiteral("User number");
    case DisplayOption::FreeText:
        return QStringLiteral("Free text");
    case DisplayOption::FreeText2:
        return QStringLiteral("Free text 2");
    case DisplayOption::Delete:
        return QStringLiteral("DELETE");
    case DisplayOption::ZeroInitials:
        break;
    }
    return QStringLiteral("Zero initials ");
}

void DisplayOptions::setTicked(DisplayOption option, bool ticked) {
    m_ticked.set(index(option), ticked);
    if (!ticked) {
        return;
    }
    if (option == DisplayOption::Delete) {
        m_ticked.reset();
        m_ticked.set(index(DisplayOption::Delete));
    } else if (index(option) < index(DisplayOption::Delete)) {
        m_ticked.reset(index(DisplayOption::Delete));
    }
}

std::optional<DisplayOption> DisplayOptions::first() const {
    for (const DisplayOption option : displayOptionsInOrder()) {
        if (isTicked(option)) {
            return option;
        }
    }
    return std::nullopt;
}

std::optional<DisplayOption> DisplayOptions::clearFirst() {
    const std::optional<DisplayOption> option = first();
    if (option) {
        m_ticked.reset(index(*option));
    }
    return option;
}

} // namespace holvex::display
