#include "kit/foundation/files/BookmarkRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(const QByteArray &bytes)
{
    if (const auto record = BookmarkRecord::decode(bytes)) {
        if (record->encoded() != bytes) {
            std::abort();
        }
    }
}

} // namespace

// Whatever the bytes, decoding must not fail unsafely, and whatever it accepts must be the
// one encoding of what it decoded. Each input is tried once more with its checksum repaired,
// so the fuzzer also reaches the checks behind the checksum.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    check(bytes);
    if (bytes.size() >= 4) {
        const std::uint32_t sum = BookmarkRecord::checksum(QByteArrayView(bytes).chopped(4));
        for (int i = 0; i < 4; ++i) {
            bytes[bytes.size() - 4 + i] = static_cast<char>((sum >> (8 * i)) & 0xff);
        }
        check(bytes);
    }
    return 0;
}
