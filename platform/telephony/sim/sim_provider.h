#pragma once
// The "sim" line provider: 1 to 4 simulated lines ("sim:2"). Each line is a usable voice line by
// default ("Simulated Voice Modem <n>", media modes 4 | 8 | 16) with its own wave-in and
// wave-out device; names, media modes, versions and open failures are configurable per line.
#include "platform/telephony/line_provider.h"
#include "platform/telephony/sim/sim_line.h"

#include <memory>
#include <vector>

namespace qlnrec::platform {

class SimProvider final : public LineProvider {
public:
    static constexpr int kMaxLines = 4;

    SimProvider(const LineProviderContext& context, int lineCount);
    ~SimProvider() override;

    QString name() const override { return QStringLiteral("sim"); }
    std::size_t deviceCount() const override { return lines_.size(); }
    LineDevice* device(std::size_t index) override;

    SimLine& line(std::size_t index) { return *lines_.at(index); }
    const SimLine& line(std::size_t index) const { return *lines_.at(index); }
    std::size_t lineCount() const { return lines_.size(); }
    // Clock reading the activity times count from.
    std::uint32_t epochMs() const { return epochMs_; }

    // Writes a readable activity log of every line to `path` and the audio played into each call
    // as WAVE files beside it ("<path without .txt>-line<n>-call<k>.wav", n = the line's number
    // within this provider, from 0). Returns false and sets *error when a file cannot be written.
    bool writeActivity(const QString& path, QString* error = nullptr, int firstDeviceId = 0) const;

    // Parses the provider argument: empty = 1 line, otherwise 1..4.
    static std::optional<int> parseLineCount(const QString& argument, QString* error);

private:
    std::uint32_t epochMs_;
    std::vector<std::unique_ptr<SimLine>> lines_;
};

} // namespace qlnrec::platform
