#include "tests/e2e/program_rig.h"

#include "app/shutdown.h"
#include "platform/mci/null_media_backend.h"
#include "platform/telephony/sim/scenario.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace qlnrec::test {

namespace {
std::unique_ptr<platform::LinePlatform> createLines(platform::EventService& events, const QString& linesSpec,
                                                    const QString& scenarioName,
                                                    std::optional<platform::Scenario>& scenario)
{
    QString error;
    platform::WaveServiceOptions waveOptions;
    waveOptions.useSoundCard = false;
    auto lines = platform::LinePlatform::create(events, linesSpec, &error, waveOptions);
    if (!lines) {
        throw std::runtime_error(error.toStdString());
    }
    if (!scenarioName.isEmpty()) {
        scenario = platform::Scenario::load(QStringLiteral(QLNREC_SCENARIO_DIR "/") + scenarioName, &error);
        if (!scenario || !lines->applyLineConfigs(*scenario, &error)) {
            throw std::runtime_error(error.toStdString());
        }
    }
    return lines;
}

QString makeFolder(const QString& folder)
{
    QDir().mkpath(folder);
    return folder;
}
} // namespace

ProgramRig::ProgramRig(const QString& linesSpec, const QString& scenarioName, QStringList sigscanCandidates,
                       std::shared_ptr<TempHome> sharedHome)
    : homeHolder(sharedHome ? std::move(sharedHome) : std::make_shared<TempHome>()), home(*homeHolder),
      settingsStore(QStringLiteral("qlnrec"), home.configFile()),
      platform(createLines(events, linesSpec, scenarioName, scenario)),
      media(std::make_unique<platform::NullMediaBackend>(events)),
      program(std::make_unique<app::Program>(app::ProgramPlatform{
          events, dialogs, modal, shell, settingsStore, *platform, *media, makeFolder(home.programFolder()),
          QStringLiteral("/usr/bin/qlnrec"), std::move(sigscanCandidates), [this](int) { ++programEnds; }})),
      config(program->config()), strings(program->strings()), statusLog(program->statusLog()),
      state(program->state()), lifecycle(program->lifecycle()), services(program->services())
{
    // Every role is the program's own; a test may still put the logging roles in place of one.
    hooks.state = &program->lines().state();
}

ProgramRig::~ProgramRig()
{
    if (player) {
        player->stop();
    }
    if (!crashed_ && !lifecycle.shuttingDown) {
        app::runShutdown(services, window());
    }
    program.reset();
}

void ProgramRig::crash()
{
    if (player) {
        player->stop();
    }
    crashed_ = true;
    program.reset();
}

void ProgramRig::configureLines(std::initializer_list<int> lineIndexes)
{
    store(QStringLiteral("Config"), QStringLiteral("SaveFile"),
          home.programFolder() + QStringLiteral("/waveFiles/"));
    for (int line : lineIndexes) {
        store(QStringLiteral("Config"), QStringLiteral("Line%1").arg(line), QStringLiteral("1"));
    }
}

app::LoadResult ProgramRig::start()
{
    // The main window and its load sequence, as the start-up shows them after the splash.
    return program->startup().loadMainWindow() == app::StartupRoutine::Outcome::MainWindow
               ? app::LoadResult::Loaded
               : app::LoadResult::EndProgram;
}

bool ProgramRig::play()
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

void ProgramRig::run(std::uint64_t ms)
{
    events.advance(ms);
}

app::frmSetup& ProgramRig::loadSetup(app::SetupDialogOpeners openers)
{
    if (lines().state().lineApp == 0) {
        program->resetLineState();
        program->initTelephony();
    }
    program->setup().setOpeners(std::move(openers));
    program->setup().unload();
    return program->setup().form();
}

void ProgramRig::setDevice(int line, const QString& name, std::uint32_t mediaModes)
{
    platform::SimLineConfig c = sim(line).config();
    c.name = name;
    c.mediaModes = mediaModes;
    sim(line).setConfig(c);
}

QStringList ProgramRig::takeJournal()
{
    const QString text = QString::fromUtf8(readFile(config.journalPath()));
    QFile::remove(config.journalPath());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QStringList ProgramRig::messageTexts() const
{
    QStringList texts;
    for (const platform::DialogRequest& request : dialogs.messages()) {
        texts.append(request.text);
    }
    return texts;
}

QStringList ProgramRig::statusTexts() const
{
    QStringList texts;
    for (const QString& line : statusLog.lines()) {
        texts.append(line.left(line.size() - 9));
    }
    return texts;
}

QStringList ProgramRig::dayFileLines() const
{
    const QString text = QString::fromUtf8(readFile(statusLog.currentFilePath()));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

std::int64_t ProgramRig::activityTime(int line, const QString& what)
{
    for (const platform::SimLine::Activity& entry : sim(line).activity()) {
        if (entry.text.contains(what)) {
            return entry.timeMs;
        }
    }
    return -1;
}

} // namespace qlnrec::test
