#include "audio/sigscan_loader.h"

#include "core/strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace qlnrec::audio {

namespace {

const QString kLibraryName = QStringLiteral(SIGSCAN_LIBRARY_FILE_NAME);

} // namespace

SigScanLoader::SigScanLoader(Reporter report, QStringList candidates, const core::Strings* strings)
    : report_(std::move(report)), candidates_(std::move(candidates)), strings_(strings)
{
}

SigScanLoader::~SigScanLoader() = default;

QStringList SigScanLoader::defaultCandidates(const QString& programFolder)
{
    QStringList list;
    if (!programFolder.isEmpty()) {
        list << programFolder + QLatin1Char('/') + kLibraryName;
#ifdef QLNREC_RELATIVE_LIBDIR
        // An installed tree moved to another prefix keeps its library beside the program's folder.
        list << QDir::cleanPath(programFolder + QStringLiteral("/../" QLNREC_RELATIVE_LIBDIR "/") +
                                kLibraryName);
#endif
    }
#ifdef QLNREC_INSTALL_LIBDIR
    list << QStringLiteral(QLNREC_INSTALL_LIBDIR) + QLatin1Char('/') + kLibraryName;
#endif
    list << kLibraryName;
    return list;
}

bool SigScanLoader::available()
{
    if (!attempted_) {
        load();
    }
    return fbs_ != nullptr;
}

std::int32_t SigScanLoader::fbs(const std::int16_t* samples, std::int32_t sampleCount,
                                std::int32_t* soundCount, std::int32_t* quietCount, std::int32_t level,
                                std::int32_t pattern, std::int32_t* segmentSums, std::int32_t* longTone,
                                bool* available)
{
    const bool ready = this->available();
    if (available != nullptr) {
        *available = ready;
    }
    if (!ready) {
        return 0;
    }
    return fbs_(samples, sampleCount, soundCount, quietCount, level, pattern, segmentSums, longTone);
}

void SigScanLoader::load()
{
    attempted_ = true;
    QStringList candidates = candidates_;
    if (candidates.isEmpty()) {
        const QString folder =
            QCoreApplication::instance() != nullptr ? QCoreApplication::applicationDirPath() : QString();
        candidates = defaultCandidates(folder);
    }

    const core::Strings english;
    const core::Strings& strings = strings_ ? *strings_ : english;
    QStringList problems; // files that exist or loaded but could not be used
    for (const QString& file : candidates) {
        auto library = std::make_unique<QLibrary>(file);
        if (!library->load()) {
            // A missing file is the usual case and not worth detail; a broken one is.
            if (QFileInfo::exists(file)) {
                problems << library->errorString();
            }
            continue;
        }
        auto function = reinterpret_cast<SigScanFbsFunction>(library->resolve("Fbs"));
        if (function == nullptr) {
            problems << strings.text(core::ProgramText::SigScanNoFbs).arg(library->fileName());
            library->unload();
            continue;
        }
        fbs_ = function;
        loadedFrom_ = library->fileName();
        library_ = std::move(library);
        return;
    }

    if (!report_) {
        return;
    }
    const QString without = strings.text(core::ProgramText::SigScanWithout);
    QString message;
    if (problems.isEmpty()) {
        message = strings.text(core::ProgramText::SigScanNotFound)
                      .arg(kLibraryName, candidates.join(QStringLiteral(", ")), without);
    } else {
        message = strings.text(core::ProgramText::SigScanUnusable)
                      .arg(kLibraryName, problems.join(QStringLiteral("; ")), without);
    }
    report_(message);
}

} // namespace qlnrec::audio
