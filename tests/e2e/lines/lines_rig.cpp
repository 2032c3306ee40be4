#include "lines_rig.h"

#include "app/shutdown.h"
#include "platform/telephony/sim/scenario.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace qlnrec::test {

LinesRig::LinesRig(const QString& linesSpec, const QString& scenarioName)
    : settingsStore(QStringLiteral("qlnrec"), home.configFile()), config(settingsStore, home.programFolder()),
      statusLog(events, home.programFolder()), services{events, dialogs, shell, config, strings,  statusLog,
                                                        state,  windows, parts, parts,  lifecycle}
{
    QDir().mkpath(home.programFolder());
    state.programFolder = home.programFolder();
    config.setDialogService(&dialogs);
    config.setShellService(&shell, QStringLiteral("/usr/bin/qlnrec"));
    statusLog.setShellService(&shell);
    lifecycle.endProgram = [this](int) { ++programEnds; };

    QString error;
    platform::WaveServiceOptions waveOptions;
    waveOptions.useSoundCard = false;
    platform = platform::LinePlatform::create(events, linesSpec, &error, waveOptions);
    if (!platform) {
        throw std::runtime_error(error.toStdString());
    }
    if (!scenarioName.isEmpty()) {
        scenario = platform::Scenario::load(QStringLiteral(LINES_SCENARIO_DIR "/") + scenarioName, &error);
        if (!scenario || !platform->applyLineConfigs(*scenario, &error)) {
            throw std::runtime_error(error.toStdString());
        }
    }
    lineParts = std::make_unique<app::LineParts>(services, platform->telephony(), platform->wave(), &hooks);
    parts.lines = lineParts.get();
    window = std::make_unique<app::frmMain>(services);
    lineParts->setMainWindow([this] { return window.get(); });
}

LinesRig::~LinesRig()
{
    if (player) {
        player->stop();
    }
    if (!lifecycle.shuttingDown) {
        app::runShutdown(services, window.get());
    }
    window.reset();
    lineParts.reset();
}

void LinesRig::configureLines(std::initializer_list<int> lineIndexes)
{
    store(QStringLiteral("Config"), QStringLiteral("SaveFile"),
          home.programFolder() + QStringLiteral("/waveFiles/"));
    for (int line : lineIndexes) {
        store(QStringLiteral("Config"), QStringLiteral("Line%1").arg(line), QStringLiteral("1"));
    }
}

app::LoadResult LinesRig::start()
{
    app::MainWindowLoader loader(services);
    return loader.run(*window);
}

bool LinesRig::play()
{
    player = platform->playScenario(*scenario, &scenarioError);
    if (!player) {
        return false;
    }
    const bool done = platform::runVirtualTime(
        events, [this] { return player->finished(); }, 600000);
    if (!player->error().isEmpty()) {
        scenarioError = player->error();
    }
    return done && scenarioError.isEmpty();
}

void LinesRig::run(std::uint64_t ms)
{
    events.advance(ms);
}

app::frmSetup& LinesRig::loadSetup(app::SetupDialogOpeners openers)
{
    if (lines().state().lineApp == 0) {
        lineParts->resetLineState();
        lineParts->initTelephony();
    }
    lineParts->setSetupOpeners(std::move(openers));
    lineParts->setup().unload();
    return lineParts->setup().form();
}

void LinesRig::setDevice(int line, const QString& name, std::uint32_t mediaModes)
{
    platform::SimLineConfig c = sim(line).config();
    c.name = name;
    c.mediaModes = mediaModes;
    sim(line).setConfig(c);
}

QStringList LinesRig::takeJournal()
{
    const QString text = QString::fromUtf8(readFile(config.journalPath()));
    QFile::remove(config.journalPath());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QStringList LinesRig::messageTexts() const
{
    QStringList texts;
    for (const platform::DialogRequest& request : dialogs.messages()) {
        texts.append(request.text);
    }
    return texts;
}

QStringList LinesRig::statusTexts() const
{
    QStringList texts;
    for (const QString& line : statusLog.lines()) {
        texts.append(line.left(line.size() - 9));
    }
    return texts;
}

QStringList LinesRig::dayFileLines() const
{
    const QString text = QString::fromUtf8(readFile(statusLog.currentFilePath()));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

std::int64_t LinesRig::activityTime(int line, const QString& what)
{
    for (const platform::SimLine::Activity& entry : sim(line).activity()) {
        if (entry.text.contains(what)) {
            return entry.timeMs;
        }
    }
    return -1;
}

} // namespace qlnrec::test
