#pragma once
// Media control command strings in the style of the Windows media control interface, for
// WAVE files and the wave-audio recorder, plus sndPlaySound.
//
// Commands (verbs and keywords without letter case; names of open devices matched exactly
// first, then without letter case):
//   open FILE [type waveaudio] [alias NAME]     FILE may contain blanks, quoted or not: the
//                                               keywords are taken from the end
//   open new type waveaudio alias NAME          an empty recording device (11,025 Hz, 8-bit,
//                                               mono until set otherwise)
//   play NAME [from MS] [to MS]    pause NAME    resume NAME    stop NAME
//   seek NAME to MS|start|end                   positions past the end go to the end
//   status NAME length|position|mode|ready|time format|samplespersec|channels|bitspersample|
//               bytespersec|alignment|format tag
//   set NAME samplespersec N | channels N | bitspersample 8|16 | time format milliseconds
//   record NAME    save NAME FILE    close NAME|all
// Times are milliseconds as decimal text. Modes: "playing", "paused", "stopped", "recording",
// "not ready". A device is named by its alias, or by the file it was opened with.
//
// Every call runs on the GUI thread. Playback never blocks: "wait" is refused.
#include "platform/mci/mci_errors.h"
#include "platform/mci/pcm_audio.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>

namespace qlnrec::platform {

class AcmService;
class EventService;
class MediaBackend;

// sndPlaySound flags.
inline constexpr std::uint32_t SND_SYNC = 0x0000;
inline constexpr std::uint32_t SND_ASYNC = 0x0001;
inline constexpr std::uint32_t SND_NODEFAULT = 0x0002;
inline constexpr std::uint32_t SND_MEMORY = 0x0004;
inline constexpr std::uint32_t SND_LOOP = 0x0008;
inline constexpr std::uint32_t SND_NOSTOP = 0x0010;

class MciService {
public:
    // acm decodes compressed files (TrueSpeech); without it only PCM files open.
    MciService(EventService& events, MediaBackend& backend, AcmService* acm = nullptr);
    ~MciService();
    MciService(const MciService&) = delete;
    MciService& operator=(const MciService&) = delete;

    // Runs one command; the reply text goes to *reply (emptied first) when given.
    MCIERROR mciSendString(const QString& command, QString* reply = nullptr);
    // Buffer form: the reply, NUL-terminated, into returnString of returnLength characters;
    // MCIERR_PARAM_OVERFLOW (with the reply cut) when it does not fit.
    MCIERROR mciSendString(const char* command, char* returnString, std::uint32_t returnLength,
                           void* callbackWindow = nullptr);

    // Plays a WAVE file on the computer's sound output and returns at once (the sound plays
    // on without waiting, also when SND_ASYNC is missing). An empty path stops the sound.
    // False when the file cannot be played, with SND_MEMORY, or with SND_NOSTOP while a sound
    // plays.
    bool sndPlaySound(const QString& path, std::uint32_t flags);
    bool sndPlaySound(const char* path, std::uint32_t flags);

    bool isOpen(const QString& name) const;
    std::size_t openDeviceCount() const { return devices_.size(); }
    MediaBackend& backend() { return backend_; }

private:
    struct Device;
    struct Parsed;

    MCIERROR open(const QString& rest, QString* reply);
    MCIERROR close(Device& device);
    MCIERROR play(Device& device, const Parsed& p);
    MCIERROR pause(Device& device);
    MCIERROR resume(Device& device);
    MCIERROR stop(Device& device);
    MCIERROR seek(Device& device, const Parsed& p);
    MCIERROR status(Device& device, const Parsed& p, QString* reply);
    MCIERROR set(Device& device, const Parsed& p);
    MCIERROR record(Device& device, const Parsed& p);
    MCIERROR save(Device& device, const QString& fileText);

    Device* findDevice(const QString& rest, qsizetype* nameEnd);
    void refresh(Device& device);
    std::uint64_t lengthMs(Device& device);
    std::uint64_t positionMs(Device& device);
    std::shared_ptr<const PcmAudio> playableAudio(Device& device);

    EventService& events_;
    MediaBackend& backend_;
    AcmService* acm_;
    std::uint32_t nextId_ = 1;
    std::map<std::uint32_t, std::unique_ptr<Device>> devices_;
};

} // namespace qlnrec::platform
