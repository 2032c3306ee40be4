#pragma once
// The one way every subsystem reports progress: a line of text that the status list shows and the
// day's log keeps, with the time of day appended.
#include <QString>

namespace qlnrec::core {

class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual void addStatusLine(const QString& text) = 0;
};

} // namespace qlnrec::core
