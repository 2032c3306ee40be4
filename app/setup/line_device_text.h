#pragma once
// How the setup dialog shows a line device: its text, whether its line can be chosen, and the
// voice media mode the line is opened with.
#include <QString>

#include <cstddef>
#include <cstdint>

namespace qlnrec::core {
class Strings;
} // namespace qlnrec::core

namespace qlnrec::app {

struct LineDeviceDescription {
    QString text;
    bool selectable = false;
    std::uint32_t voiceMode = 0; // 4 interactive voice, 8 automated voice, 0 none
};

// name: the line name from the device capabilities (empty when they could not be read).
LineDeviceDescription describeLineDevice(const QString& name, std::uint32_t mediaModes,
                                         const core::Strings& strings);

// The line name held in a LINEDEVCAPS buffer of `size` bytes: the bytes at its offset up to the
// first NUL, never beyond its stated size or the buffer. Control characters become blanks (the
// text is stored as a setting and journaled one per line).
QString lineNameFromDevCaps(const unsigned char* caps, std::size_t size);

} // namespace qlnrec::app
