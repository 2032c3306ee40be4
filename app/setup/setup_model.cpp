#include "app/setup/setup_model.h"

#include "app/setup/line_device_text.h"
#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/text_helpers.h"
#include "platform/telephony/telephony_service.h"
#include "telephony/line_state.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace qlnrec::app {

namespace {
const QString kTitle = QStringLiteral("Quillon");
constexpr int kNotDetectedText = 1070; // "Not Detected Voice Modem Line"

// A check box shows a stored "0"/"1" value: any nonzero number ticks it.
bool ticked(const QString& value)
{
    return platform::roundHalfEven(platform::leadingNumber(value)) != 0;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// An option index as stored; one outside the key's range shows the first option.
int choice(const core::ConfigStore& config, const core::SettingKey& key)
{
    const int value = config.getInt(key);
    return key.range && key.range->contains(value) ? value : 0;
}
} // namespace

SetupModel::SetupModel(SetupContext& context) : c_(context) {}

void SetupModel::load()
{
    fields_ = SetupFields{};
    fields_.lineText.fill(c_.strings.loadText(kNotDetectedText));
    // 2.
    fields_.silenceSeconds = c_.config.get(core::keys::kSilenceD);
    // 3, 4. A line without a usable device cannot be chosen.
    listLineDevices();
    for (int line = 0; line < SetupFields::kLines; ++line) {
        if (!fields_.lineSelectable[static_cast<std::size_t>(line)]) {
            c_.config.save(core::lineInUse(line), QStringLiteral("0"));
        }
    }
    // 5 .. 13.
    readSettings();
}

void SetupModel::listLineDevices()
{
    telephony::LineState& lines = c_.lines;
    lines.mediaMode.fill(0);
    const int count = std::min(lines.lineDeviceCount, SetupFields::kLines);
    std::vector<unsigned char> caps(kDevCapsSize);
    for (int device = 0; device < count; ++device) {
        std::fill(caps.begin(), caps.end(), 0);
        platform::setTapiDword(caps.data(), 0, kDevCapsSize);
        QString name;
        std::uint32_t mediaModes = 0;
        if (c_.tapi.lineGetDevCaps(lines.lineApp, static_cast<std::uint32_t>(device), lines.lineApiVersion, 0,
                                   reinterpret_cast<platform::LINEDEVCAPS*>(caps.data())) == 0) {
            name = lineNameFromDevCaps(caps.data(), caps.size());
            mediaModes = platform::tapiDword(caps.data(), offsetof(platform::LINEDEVCAPS, dwMediaModes));
        }
        const LineDeviceDescription d = describeLineDevice(name, mediaModes, c_.strings);
        const auto index = static_cast<std::size_t>(device);
        fields_.lineText[index] = d.text;
        fields_.lineSelectable[index] = d.selectable;
        if (d.voiceMode != 0) {
            lines.mediaMode[index] = d.voiceMode;
        }
    }
    // Lines beyond the devices found have no device, but their boxes can be ticked as the
    // dialog always allowed; the line then simply fails to open.
    for (int line = count; line < SetupFields::kLines; ++line) {
        fields_.lineSelectable[static_cast<std::size_t>(line)] = true;
    }
}

void SetupModel::readSettings()
{
    const core::ConfigStore& config = c_.config;
    telephony::SettingsSnapshot& snapshot = c_.settings;
    using namespace core::keys;

    // 5.
    for (int line = 0; line < SetupFields::kLines; ++line) {
        fields_.lineUsed[static_cast<std::size_t>(line)] = ticked(config.get(core::lineInUse(line)));
    }
    // 6.
    fields_.silence = ticked(config.get(kSilence));
    fields_.silenceLevel = config.get(kSilenceLevelSetup);
    // 7.
    const QString rings = config.get(kRings);
    fields_.rings = rings.isEmpty() ? QStringLiteral("8") : rings;
    // 8.
    const QString folder = config.get(kSaveFile);
    fields_.saveFile = folder.isEmpty() ? c_.programFolder + QStringLiteral("/waveFiles/") : folder;
    // 9. A language that is not one of the three shows English, as the program then runs.
    fields_.language = choice(config, kLanguage);
    // 10.
    fields_.waveFileFormat = config.getInt(kWaveFileFormat) == 1 ? 1 : 0;
    snapshot.waveFileFormat = fields_.waveFileFormat;
    // 11.
    fields_.popCallId = ticked(config.get(kPopCallId));
    fields_.minimizeOnStart = ticked(config.get(kMinOnStart));
    snapshot.popCallIdEnabled = fields_.popCallId ? 1 : 0;
    snapshot.minimizeOnStart = fields_.minimizeOnStart ? 1 : 0;
    // 12.
    snapshot.answerManually = config.getInt(kActionMan);
    fields_.answerManually = snapshot.answerManually != 0;
    // 13.
    fields_.autoStart = ticked(config.get(kAutoStart));
    fields_.notify = config.get(kNotify) != QLatin1String("0");
    fields_.fastBusy = ticked(config.get(kFastBusy));
    fields_.country = choice(config, kCountry);
    fields_.blockUnknown = ticked(config.get(kBlockUnknown));
    snapshot.blockUnknownEnabled = fields_.blockUnknown ? 1 : 0;
}

void SetupModel::lineUnticked(int line)
{
    if (line < 0 || line >= SetupFields::kLines) {
        return;
    }
    for (int k = 1; k <= core::kRingIntervalCount; ++k) {
        const core::SettingKey key = core::ringInterval(line, k);
        c_.config.save(key, key.absentValue());
    }
    const core::SettingKey weight = core::ringWeight(line);
    c_.config.save(weight, weight.absentValue());
}

void SetupModel::holdSilenceLevel()
{
    const core::SettingRange range = *core::keys::kSilenceLevelSetup.range;
    const double level = platform::leadingNumber(fields_.silenceLevel);
    if (level < range.min) {
        fields_.silenceLevel = QString::number(range.min);
    } else if (level > range.max) {
        fields_.silenceLevel = QString::number(range.max);
    }
}

bool SetupModel::browseFolder()
{
    const QString picked = c_.dialogs.browseFolder(QLatin1String(kFolderPickerTitle), fields_.saveFile);
    if (picked.isEmpty()) {
        return false;
    }
    const qsizetype nul = picked.indexOf(QChar(0));
    fields_.saveFile = nul >= 0 ? picked.left(nul) : picked;
    return true;
}

void SetupModel::information(int textId)
{
    c_.dialogs.messageBox(c_.strings.loadText(textId), kTitle, platform::MessageIcon::Information);
}

bool SetupModel::createFolderPath(const QString& folder, QString* failed)
{
    for (qsizetype slash = folder.indexOf(QLatin1Char('/')); slash >= 0;
         slash = folder.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString part = folder.left(slash + 1);
        const QFileInfo info(part);
        if (info.exists() ? info.isDir() : QDir().mkdir(part)) {
            continue;
        }
        if (failed) {
            *failed = part;
        }
        return false;
    }
    return true;
}

bool SetupModel::saveRecordingsFolder()
{
    QString folder = fields_.saveFile;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
        fields_.saveFile = folder;
    }
    if (folder.isEmpty()) {
        information(1080);
        return false;
    }
    if (folder.startsWith(QStringLiteral("~/"))) {
        folder = QDir::homePath() + folder.mid(1);
    }
    // The recordings must land where the user can find them again, and a recording that cannot
    // be written is lost: a folder that cannot be made or written stops the save here.
    QString problem;
    QString failed;
    if (!QDir::isAbsolutePath(folder)) {
        problem = c_.strings.text(core::ProgramText::SetupFolderNotFullPath).arg(folder);
    } else if (!createFolderPath(folder, &failed)) {
        problem = c_.strings.text(core::ProgramText::SetupFolderCannotCreate).arg(failed);
    } else if (!QFileInfo(folder).isWritable()) {
        problem = c_.strings.text(core::ProgramText::SetupFolderNotWritable).arg(folder);
    }
    if (!problem.isEmpty()) {
        c_.dialogs.messageBox(problem, kTitle, platform::MessageIcon::Critical);
        return false;
    }
    fields_.saveFile = folder;
    c_.config.save(core::keys::kSaveFile, folder);
    return true;
}

SetupModel::SaveResult SetupModel::save()
{
    core::ConfigStore& config = c_.config;
    using namespace core::keys;
    // 1.
    if (std::none_of(fields_.lineUsed.begin(), fields_.lineUsed.end(), [](bool used) { return used; })) {
        information(1078);
    }
    // 2.
    for (int line = 0; line < SetupFields::kLines; ++line) {
        config.save(core::lineInUse(line), flag(fields_.lineUsed[static_cast<std::size_t>(line)]));
    }
    // 3.
    if (!saveRecordingsFolder()) {
        return SaveResult::FolderRejected;
    }
    // 4.
    if (!fields_.rings.isEmpty()) {
        config.save(kRings, fields_.rings);
    }
    // 5, 6.
    config.save(kLanguage, QString::number(std::clamp(fields_.language, 0, 2)));
    config.save(kWaveFileFormat, flag(fields_.waveFileFormat == 1));
    // 7.
    for (int line = 0; line < SetupFields::kLines; ++line) {
        config.save(core::modemDeviceText(line), fields_.lineText[static_cast<std::size_t>(line)]);
    }
    // 8.
    config.save(kPopCallId, flag(fields_.popCallId));
    config.save(kMinOnStart, flag(fields_.minimizeOnStart));
    config.save(kActionMan, flag(fields_.answerManually));
    config.save(kAutoStart, flag(fields_.autoStart));
    config.setAutoStart(fields_.autoStart);
    config.save(kNotify, flag(fields_.notify));
    // 9. A level typed and saved straight away (Enter) never left the field: bound it here too.
    holdSilenceLevel();
    config.save(kSilence, flag(fields_.silence));
    config.save(kSilenceLevelSetup, fields_.silenceLevel);
    config.save(kSilenceD, fields_.silenceSeconds);
    config.save(kFastBusy, flag(fields_.fastBusy));
    config.save(kCountry, QString::number(std::max(fields_.country, 0)));
    config.save(kBlockUnknown, flag(fields_.blockUnknown));
    // 10, 11. The caller ends the program.
    information(1081);
    return SaveResult::Saved;
}

} // namespace qlnrec::app
