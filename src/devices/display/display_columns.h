#pragma once

namespace holvex::display {

// Columns of the display table.
inline constexpr int kDisplayIdColumn = 0;
inline constexpr int kDisplayAddressColumn = 1;
inline constexpr int kDisplayUnitColumn = 2;
inline constexpr int kDisplayStartColumn = 3;
inline constexpr int kDisplayMultDivColumn = 4;
inline constexpr int kDisplayUserNumberColumn = 5;
inline constexpr int kDisplayFreeTextColumn = 6;
inline constexpr int kDisplayTotalColumn = 7;
inline constexpr int kDisplayFirstTariffColumn = 8; // "Tarr 0 " .. "Tarr 3 " in 8..11
inline constexpr int kDisplayFreeText2Column = 12;
inline constexpr int kDisplayColumnCount = 13;

// The unit keeps up to 250 meters, one per primary address 1..250.
inline constexpr int kDisplayMaxDataRows = 250;
inline constexpr int kDisplayTableMaxRows = kDisplayMaxDataRows + 1; // heading included
inline constexpr int kDisplayMaxAddress = 250;

} // namespace holvex::display
