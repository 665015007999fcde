#include "kit/foundation/BookmarkRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Whatever the bytes, decoding must not fail unsafely, and whatever it accepts must be the
// one encoding of what it decoded.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto record = BookmarkRecord::decode(bytes)) {
        if (record->encoded() != bytes) {
            std::abort();
        }
    }
    return 0;
}
