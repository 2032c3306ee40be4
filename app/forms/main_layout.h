#pragma once
// Where the front panel's own parts sit, in pixels of the 691 x 495 panel. The artwork draws a
// well or a plate under each of them, so both read their positions from here.
#include <QRect>

#include <array>

namespace qlnrec::app::layout {

inline constexpr QRect kScreenBezel{24, 49, 559, 352};
inline constexpr QRect kScreenGlass{30, 54, 547, 342};

// The key column on the right, top to bottom: setup, log files, backup, help, search, dial, exit.
inline constexpr int kKeyColumnLeft = 592;
inline constexpr int kKeyWidth = 76;
inline constexpr int kKeyHeight = 32;
inline constexpr int kKeyTop = 74;
inline constexpr int kKeyPitch = 38;
inline constexpr QRect keyRect(int row)
{
    return {kKeyColumnLeft, kKeyTop + row * kKeyPitch, kKeyWidth, kKeyHeight};
}
inline constexpr int kKeyRows = 7;

inline constexpr QRect kMinimiseKey{600, 22, 26, 16};

// The read-out of the selected recording, and the player keys below it.
inline constexpr QRect kReadout{346, 404, 210, 40};
inline constexpr QRect kNameCaption{352, 405, 50, 15};
inline constexpr QRect kNameValue{402, 405, 150, 15};
inline constexpr QRect kLengthCaption{352, 419, 50, 15};
inline constexpr QRect kLengthValue{402, 419, 150, 15};
inline constexpr QRect kSeekBar{352, 435, 200, 7};
inline constexpr QRect kDeck{350, 449, 180, 34};
inline constexpr QRect kPlayKey{358, 453, 50, 26};
inline constexpr QRect kStopKey{415, 453, 50, 26};
inline constexpr QRect kPauseKey{472, 453, 50, 26};

// The speaker grille in the rounded lower right corner (also the volume button).
inline constexpr QPoint kSpeakerCentre{606, 420};
inline constexpr int kSpeakerRadius = 31;

// The two options on the lower left.
inline constexpr QRect kLegalBox{30, 410, 16, 16};
inline constexpr QRect kLegalCaption{50, 408, 284, 20};
inline constexpr QRect kRingCountBox{30, 433, 16, 16};
inline constexpr QRect kRingCountCaption{50, 431, 284, 20};

} // namespace qlnrec::app::layout
