#pragma once
// How many lines the program watches, and how many learned ring intervals each keeps.
namespace qlnrec::core {

// Line indexes 0..3: the telephony device id and the index of every per-line value.
inline constexpr int kLineCount = 4;
// Learned ring intervals per line: "Param1".."Param6".
inline constexpr int kRingIntervalCount = 6;

} // namespace qlnrec::core
