#pragma once
// Binds the signal-analysis library at its first use. The library is optional at run time:
// when it cannot be loaded the program records on without silence and busy-tone detection, and
// says so once.
#include "sigscan/sigscan.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

class QLibrary;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::audio {

class SigScanLoader {
public:
    using Reporter = std::function<void(const QString& message)>;

    // `report` receives the one message when the library cannot be used. `candidates` are the
    // library files tried in order; empty means defaultCandidates() of the program's own folder,
    // taken at the first use. The message is in the language of `strings` (not owned), English
    // without.
    explicit SigScanLoader(Reporter report = {}, QStringList candidates = {},
                           const core::Strings* strings = nullptr);
    ~SigScanLoader();
    SigScanLoader(const SigScanLoader&) = delete;
    SigScanLoader& operator=(const SigScanLoader&) = delete;

    // The program's folder, the install library folder beside it, the install library folder of
    // the prefix the program was built for, then the plain name for the system's library search
    // path.
    static QStringList defaultCandidates(const QString& programFolder);

    // Loads at the first call; true when Fbs can be called.
    bool available();
    // The file Fbs came from; empty while not loaded.
    QString loadedFrom() const { return loadedFrom_; }

    // Calls Fbs. When the library is not available nothing is written, *available (if given) is
    // set to false and 0 is returned, so the caller goes on without analysis.
    std::int32_t fbs(const std::int16_t* samples, std::int32_t sampleCount, std::int32_t* soundCount,
                     std::int32_t* quietCount, std::int32_t level, std::int32_t pattern,
                     std::int32_t* segmentSums, std::int32_t* longTone, bool* available = nullptr);

private:
    void load();

    Reporter report_;
    QStringList candidates_;
    const core::Strings* strings_;
    bool attempted_ = false;
    SigScanFbsFunction fbs_ = nullptr;
    std::unique_ptr<QLibrary> library_;
    QString loadedFrom_;
};

} // namespace qlnrec::audio
