#include "kit/foundation/files/BookmarkRecord.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;

namespace {

BookmarkRecord sampleRecord()
{
    BookmarkRecord record;
    record.path = u"/home/ana/Recordings/Interview – “draft”.m4a"_s;
    record.device = 0x0102030405060708u;
    record.inode = 0xfffffffffffffff0u;
    record.isDirectory = false;
    record.isReadOnly = true;
    return record;
}

TEST(BookmarkRecordTest, EncodingRoundTripsAndEveryTruncationAndFlippedBitIsRefused)
{
    BookmarkRecord root;
    root.path = u"/"_s;
    root.isDirectory = true;
    EXPECT_EQ(BookmarkRecord::decode(root.encoded()), root);
    const QByteArray data = sampleRecord().encoded();
    EXPECT_EQ(BookmarkRecord::decode(data), sampleRecord());

    for (qsizetype length = 0; length < data.size(); ++length) {
        EXPECT_EQ(BookmarkRecord::decode(data.left(length)), std::nullopt) << length;
    }
    EXPECT_EQ(BookmarkRecord::decode(data + '\0'), std::nullopt);
    for (qsizetype bit = 0; bit < data.size() * 8; ++bit) {
        QByteArray mutated = data;
        mutated[bit / 8] = static_cast<char>(mutated[bit / 8] ^ (1 << (bit % 8)));
        EXPECT_EQ(BookmarkRecord::decode(mutated), std::nullopt) << bit;
    }
}

// Builds a record by hand, with a correct checksum, so the checks behind it are reached.
QByteArray handMade(const QByteArray &path, std::uint8_t version = 1, std::uint8_t flags = 0)
{
    BookmarkRecord record;
    record.path = u"/"_s;
    QByteArray bytes = record.encoded();
    bytes.chop(4 + 1);
    bytes[4] = static_cast<char>(version);
    bytes[5] = static_cast<char>(flags);
    bytes.chop(4);
    for (int i = 0; i < 4; ++i) {
        bytes.append(static_cast<char>((path.size() >> (8 * i)) & 0xff));
    }
    bytes.append(path);
    const std::uint32_t hash = BookmarkRecord::checksum(bytes);
    for (int i = 0; i < 4; ++i) {
        bytes.append(static_cast<char>((hash >> (8 * i)) & 0xff));
    }
    return bytes;
}

TEST(BookmarkRecordTest, IntactRecordsWithBadContentsAreRefused)
{
    ASSERT_TRUE(BookmarkRecord::decode(handMade("/tmp/a")).has_value());
    EXPECT_EQ(BookmarkRecord::decode(handMade("/tmp/a", 2)), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(handMade("/tmp/a", 1, 4)), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(handMade("relative/a")), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(handMade("")), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(handMade(QByteArray("/tmp/\0a", 7))), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(handMade("/tmp/\xc3\x28")), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(handMade("/tmp/\xed\xa0\x80")), std::nullopt);
    EXPECT_EQ(BookmarkRecord::decode(QByteArray("bplist00\xd1\x01\x02", 11)), std::nullopt);
}

// Mutated and truncated records, many of them: the decoder never accepts anything but the one
// encoding of what it returns.
TEST(BookmarkRecordTest, RandomlyMutatedRecordsNeverDecodeToSomethingElse)
{
    std::mt19937 random(20261206);
    const QByteArray seeds[] = { sampleRecord().encoded(), handMade("/"), handMade("/x/y/z") };
    const std::function<void(QByteArray &, qsizetype, char)> edits[] = {
        [](QByteArray &data, qsizetype at, char value) { data[at] = value; },
        [](QByteArray &data, qsizetype at, char value) {
            data[at] = static_cast<char>(data[at] ^ (1 << (value & 7)));
        },
        [](QByteArray &data, qsizetype at, char) { data.truncate(at); },
        [](QByteArray &data, qsizetype at, char value) { data.insert(at, value); },
        [](QByteArray &data, qsizetype at, char value) { data.remove(at, 1 + (value & 7)); },
    };
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray data = seeds[round % 3];
        for (auto edit = 1 + random() % 4; edit > 0 && !data.isEmpty(); --edit) {
            const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(data.size()));
            edits[random() % 5](data, at, static_cast<char>(random()));
        }
        if (const auto record = BookmarkRecord::decode(data)) {
            ++accepted;
            ASSERT_EQ(record->encoded(), data) << data.toHex().constData();
        }
    }
    // A mutation only survives when it rebuilt an intact record, which random edits almost never do.
    EXPECT_LT(accepted, 20);
}

} // namespace
