#pragma once

// Where the main window stood when it was last closed: its left and top edge
// in twips, kept as decimal text in the per-user settings store under
// application "VARNOK SV", section "Pos", keys "Left" and "Top". Form_Load
// reads each edge on its own and floors it; Form_Unload writes both.

#include <optional>
#include <string>
#include <string_view>

namespace sv::design {

inline constexpr char kSettingsApplication[] = "VARNOK SV";
inline constexpr char kSettingsSection[] = "Pos";
inline constexpr char kLeftKey[] = "Left";
inline constexpr char kTopKey[] = "Top";

// The floor of a stored edge, or nothing when the text is empty (the edge
// keeps its default place) or is no number the window could stand at.
// Written values are whole numbers; a fraction edited by hand may use "." or
// "," as its decimal point. Spaces around the number are allowed.
std::optional<double> readStoredTwips(std::string_view text);

// An edge as Form_Unload stores it: the single-precision value with at most
// seven significant digits, no thousands separator, no decimal point for a
// whole number, a leading "-" when negative ("1440", "-15", "1234.5").
std::string storedTwipsText(double twips);

}  // namespace sv::design
