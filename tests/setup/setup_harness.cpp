#include "setup_harness.h"

#include <QFile>

#include <stdexcept>

namespace qlnrec::test {

SetupHarness::SetupHarness(const QString& linesSpec)
    : settingsStore(QStringLiteral("qlnrec"), home.configFile()), config(settingsStore, home.programFolder()),
      statusLog(events, home.programFolder())
{
    QString error;
    platform::WaveServiceOptions waveOptions;
    waveOptions.useSoundCard = false;
    platform = platform::LinePlatform::create(events, linesSpec, &error, waveOptions);
    if (!platform) {
        throw std::runtime_error(error.toStdString());
    }
    config.setDialogService(&dialogs);
    config.setShellService(&shell, QStringLiteral("/usr/bin/qlnrec"));
    const telephony::LineContext lineContext{
        events, platform->telephony(), platform->wave(), dialogs, config, strings, statusLog};
    lines = std::make_unique<telephony::LineSystem>(lineContext, hooks, controls);
    context = std::make_unique<app::SetupContext>(app::SetupContext{lines->state(), lines->settings(),
                                                                    platform->telephony(), config, strings,
                                                                    dialogs, home.programFolder()});
}

SetupHarness::~SetupHarness()
{
    form.reset();
    lines->manager().CloseLines();
}

void SetupHarness::setDevice(int line, const QString& name, std::uint32_t mediaModes)
{
    platform::SimLineConfig c = sim(line).config();
    c.name = name;
    c.mediaModes = mediaModes;
    sim(line).setConfig(c);
}

void SetupHarness::initTelephony()
{
    lines->manager().resetLines();
    lines->manager().initializeTelephony();
}

app::frmSetup& SetupHarness::load(app::SetupDialogOpeners openers)
{
    if (lines->state().lineApp == 0) {
        initTelephony();
    }
    form = std::make_unique<app::frmSetup>(*context, std::move(openers));
    form->Form_Load();
    return *form;
}

QStringList SetupHarness::takeJournal()
{
    const QString text = QString::fromUtf8(readFile(config.journalPath()));
    QFile::remove(config.journalPath());
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QStringList SetupHarness::messageTexts() const
{
    QStringList texts;
    for (const platform::DialogRequest& request : dialogs.messages()) {
        texts.append(request.text);
    }
    return texts;
}

} // namespace qlnrec::test
