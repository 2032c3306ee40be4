#include "line_harness.h"

#include <stdexcept>

namespace qlnrec::test {

LineHarness::LineHarness(const QString& linesSpec)
    : store(QStringLiteral("qlnrec"), home.configFile()), config(store, home.programFolder()),
      statusLog(events, home.programFolder())
{
    QString error;
    platform::WaveServiceOptions waveOptions;
    waveOptions.useSoundCard = false;
    platform = platform::LinePlatform::create(events, linesSpec, &error, waveOptions);
    if (!platform) {
        throw std::runtime_error(error.toStdString());
    }
    const telephony::LineContext context{
        events, platform->telephony(), platform->wave(), dialogs, config, strings, statusLog};
    lines = std::make_unique<telephony::LineSystem>(context, roles, controls);
    lines->manager().setEndProgram([this] { ++programEnds; });
    hooks.state = &lines->state();
    for (int line = 0; line < telephony::kLineCount; ++line) {
        setRingIntervals(line, 6500);
    }
}

LineHarness::~LineHarness()
{
    lines->timers().disableAll();
    lines->manager().CloseLines();
    statusLog.close();
}

void LineHarness::enableLines(std::initializer_list<int> lineIndexes)
{
    for (int line : lineIndexes) {
        config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line%1").arg(line), QStringLiteral("1"));
    }
}

void LineHarness::setRingIntervals(int line, std::int32_t intervalMs)
{
    slot(line).ringIntervals.fill(intervalMs);
}

void LineHarness::openLines()
{
    state().mediaMode.fill(platform::LINEMEDIAMODE_INTERACTIVEVOICE);
    lines->manager().OpenLines();
    settle();
}

void LineHarness::settle()
{
    for (int i = 0; i < 100 && events.hasPendingPosts(); ++i) {
        events.processPendingEvents();
    }
}

void LineHarness::run(std::uint64_t ms)
{
    settle();
    events.advance(ms);
    settle();
}

QStringList LineHarness::statusTexts() const
{
    QStringList texts;
    for (const QString& line : statusLog.lines()) {
        texts.append(line.left(line.size() - 9)); // " hh:mm:ss"
    }
    return texts;
}

} // namespace qlnrec::test
