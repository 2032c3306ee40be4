#pragma once
// One file copied so that a backup can be trusted: the bytes go in chunks into a hidden temporary
// name in the target folder, are flushed to the disk, read back and compared byte for byte with
// the source, and only then get the file's name. Nothing in the target is replaced unless asked,
// and a copy that fails leaves no partial file behind. Runs on any thread (plain system calls).
#include "core/strings.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

namespace qlnrec::tools {

inline constexpr std::int64_t kCopyChunkBytes = 1024 * 1024;

struct VerifiedCopyResult {
    enum class Kind {
        Copied,       // in the target under its name, verified; a move also removed the source
        SourceFailed, // the source could not be read (the target is untouched)
        Changed,      // the source changed while it was copied (someone is still writing it)
        Exists,       // the target holds that name and replacing was not allowed
        TargetFailed, // the target refused (full, gone, read-only) or its copy did not match
        Cancelled,
    };
    Kind kind = Kind::Copied;
    QString reason; // the system's reason, for every kind but Copied and Cancelled
};

struct VerifiedCopyRequest {
    QString sourcePath;
    QString targetFolder; // without trailing "/"
    QString name;         // the file name in the target
    bool replace = false; // an existing file of that name may be replaced
    bool removeSource = false;
    core::Strings strings; // the language of the reasons the program words itself
};

// Copies as above. progress(bytes) is called after every chunk written with the chunk's size;
// cancel is read between chunks.
VerifiedCopyResult copyVerified(const VerifiedCopyRequest& request, const std::atomic<bool>& cancel,
                                const std::function<void(std::int64_t)>& progress);

} // namespace qlnrec::tools
