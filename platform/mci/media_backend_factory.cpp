#include "platform/mci/media_backend.h"
#include "platform/mci/null_media_backend.h"
#include "platform/mci/qt_media_backend.h"

namespace qlnrec::platform {

std::unique_ptr<MediaBackend> createMediaBackend(EventService& events)
{
    if (qEnvironmentVariable("QLNREC_AUDIO").compare(QLatin1String("null"), Qt::CaseInsensitive) != 0 &&
        QtMediaBackend::haveOutput())
        return std::make_unique<QtMediaBackend>();
    return std::make_unique<NullMediaBackend>(events);
}

} // namespace qlnrec::platform
