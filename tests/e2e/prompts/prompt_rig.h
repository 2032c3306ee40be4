#pragma once
// The whole program started in virtual time, with the prompt player over its lines and a
// default capture device that hears a steady tone, for the prompt and greeting-recorder tests.
#include "audio/prompt_player.h"
#include "audio/prompt_recorders.h"
#include "platform/riff/wave_file.h"
#include "platform/wave/paced_devices.h"
#include "tests/e2e/program_rig.h"

#include <QFile>

#include <cmath>
#include <memory>
#include <vector>

namespace qlnrec::test {

// The computer's microphone: a 440 Hz tone.
class ToneInput final : public platform::PacedInputDevice {
public:
    explicit ToneInput(platform::MediaPacer& pacer) : PacedInputDevice(pacer, QStringLiteral("Tone input"), 0)
    {
    }

protected:
    void render(std::int64_t firstFrame, std::int16_t* out, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] =
                static_cast<std::int16_t>(6000 * std::sin(2 * M_PI * 440 * double(firstFrame + i) / 8000));
        }
    }
};

class PromptRig : public ProgramRig {
public:
    explicit PromptRig(const QString& linesSpec = QStringLiteral("sim:1")) : ProgramRig(linesSpec)
    {
        // Line control's answering stays a logging stand-in: the tests play prompts themselves.
        program->roles().answering = &hooks;
        platform::WaveService& wave = platform->wave();
        wave.setSoundCard(std::make_shared<ToneInput>(wave.pacer()),
                          std::make_shared<platform::NullOutputDevice>(wave.pacer()));
    }

    QString path(const QString& name) const { return home.programFolder() + QLatin1Char('/') + name; }
    audio::PromptRecorderBase::Services recorderServices()
    {
        return {events, program->mci(), dialogs, shell, strings};
    }

    audio::PromptPlayer prompts{platform->wave(), program->lines().state()};
};

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

inline std::vector<std::int16_t> int16Samples(const QByteArray& data)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(data.size()) / 2);
    std::memcpy(samples.data(), data.constData(), samples.size() * 2);
    return samples;
}

} // namespace qlnrec::test
