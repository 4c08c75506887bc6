#pragma once

#include <QString>

#include <array>
#include <bitset>
#include <optional>

namespace holvex::display {

// The property boxes of the table write, in their priority order: one pass over the table per ticked box,
// the first ticked one first.
enum class DisplayOption {
    Activate,     // "Activate"
    Units,        // "Units"
    Multiplier,   // "Multiplier"
    Divider,      // "Divider"
    InitialValue, // "Initial value"
    UserNumber,   // "User number"
    FreeText,     // "Free text"
    FreeText2,    // "Free text 2"
    Delete,       // "DELETE"
    ZeroInitials, // "Zero initials "
};

inline constexpr int kDisplayOptionCount = 10;

// All options in priority order.
const std::array<DisplayOption, kDisplayOptionCount>& displayOptionsInOrder();

// The box's caption.
QString displayOptionCaption(DisplayOption option);

// Which boxes are ticked. Ticking "DELETE" clears every other box; ticking any of the eight boxes before it
// clears "DELETE". "Zero initials " clears nothing.
class DisplayOptions {
public:
    bool isTicked(DisplayOption option) const { return m_ticked.test(index(option)); }
    // The operator ticks or clears a box; the exclusions follow.
    void setTicked(DisplayOption option, bool ticked);
    // Sets the flag alone, without the exclusions (a box restored by the page).
    void setFlag(DisplayOption option, bool ticked) { m_ticked.set(index(option), ticked); }

    int tickedCount() const { return static_cast<int>(m_ticked.count()); }
    bool none() const { return m_ticked.none(); }
    // The option the next pass writes: the first ticked one in priority order.
    std::optional<DisplayOption> first() const;
    // A pass has ended: its option is cleared. Returns the option cleared, nothing when none was ticked.
    std::optional<DisplayOption> clearFirst();

private:
    static std::size_t index(DisplayOption option) { return static_cast<std::size_t>(option); }
    std::bitset<kDisplayOptionCount> m_ticked;
};

} // namespace holvex::display
