#include "tests/telephony/caller_id_fuzz_entry.h"

#include "telephony/caller_id_text.h"

#include <cstdlib>
#include <vector>

namespace qlnrec::test {

namespace {

void requireOneLine(const QString& text)
{
    if (text.isEmpty() || text.size() > telephony::kMaxCallerIdChars) {
        std::abort();
    }
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            std::abort();
        }
    }
}

} // namespace

int fuzzCallerIdInfoOnce(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's length, so any read past it is outside the allocation.
    const std::vector<unsigned char> buffer(data, data + size);
    for (const char* encoding : {"windows-1252", "GB18030", "Big5"}) {
        const telephony::CallerIdText id = telephony::readCallerId(buffer.data(), buffer.size(), encoding);
        requireOneLine(id.number);
        if (id.number != id.number.trimmed()) {
            std::abort();
        }
        if (!id.name.isEmpty()) {
            requireOneLine(id.name);
        }
    }
    return 0;
}

} // namespace qlnrec::test
