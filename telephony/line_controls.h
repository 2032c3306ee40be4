#pragma once
// Window controls that line control reads while a call runs.
#include <QString>

namespace qlnrec::telephony {

class LineControls {
public:
    virtual ~LineControls() = default;
    // The rings-to-answer field of the (hidden) setup dialog.
    virtual QString ringsFieldText() const = 0;
    // The main window's "play legal message" and "display ring count" boxes.
    virtual bool legalChecked() const = 0;
    virtual bool ringCountChecked() const = 0;
};

// Fixed values, for headless use and tests.
class FixedLineControls final : public LineControls {
public:
    QString rings = QStringLiteral("8");
    bool legal = false;
    bool ringCount = true;

    QString ringsFieldText() const override { return rings; }
    bool legalChecked() const override { return legal; }
    bool ringCountChecked() const override { return ringCount; }
};

} // namespace qlnrec::telephony
