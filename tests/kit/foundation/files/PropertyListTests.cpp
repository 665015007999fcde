#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/files/PropertyList.h"

#include "KitTesting.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSize>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

// Bytes of the platform's own binary writer: the header, one object, its 8-bit offset, and the
// trailer, whose last byte is where the offset table starts.
TEST(PropertyList, BinaryBytesMatchThePlatformsWriter)
{
    const QByteArray trailer("00000000000001010000000000000001000000000000000000000000000000");
    const std::tuple<QVariant, QByteArray, QByteArray> cases[] = {
        { true, "09", "09" },
        { false, "08", "09" },
        { QString(), "50", "09" },
        { u"Tapewick 1.0"_s, "5c546170657769636b20312e30", "15" },
        // Not ASCII: UTF-16 big-endian.
        { u"Tâpe ✓"_s, "66005400e20070006500202713", "15" },
    };
    for (const auto &[value, object, offsetTable] : cases) {
        EXPECT_EQ(PropertyList::encodeBinary(value).toHex(),
            "62706c6973743030" + object + "08" + trailer + offsetTable)
            << value.toString().toStdString();
    }
}

TEST(PropertyList, DecodesBinaryAndXmlAndRoundTripsContainers)
{
    const QByteArray xml
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<true/>\n</plist>\n";
    EXPECT_EQ(PropertyList::decode(xml), QVariant(true));

    const QDateTime date(QDate(2024, 5, 17), QTime(8, 30, 15), QTimeZone::utc());
    const QVariantMap map { { "name", u"a"_s }, { "count", qint64(42) }, { "ratio", 0.25 },
        { "data", QByteArray("\x00\x01", 2) }, { "list", QVariantList { true, u"x"_s } }, { "when", date } };
    const QVariantMap decoded = PropertyList::decode(PropertyList::encodeBinary(map)).toMap();
    EXPECT_EQ(decoded.value("name"), QVariant(u"a"_s));
    EXPECT_EQ(decoded.value("count").toLongLong(), 42);
    EXPECT_DOUBLE_EQ(decoded.value("ratio").toDouble(), 0.25);
    EXPECT_EQ(decoded.value("data").toByteArray(), QByteArray("\x00\x01", 2));
    EXPECT_EQ(decoded.value("list").toList(), (QVariantList { true, u"x"_s }));
    EXPECT_EQ(decoded.value("when").toDateTime(), date);
}

TEST(PropertyList, ValuesWithoutAPropertyListFormFailToEncode)
{
    const auto invalid = KitTesting::thrown<CocoaError>([] { PropertyList::encodeBinary(QVariant()); });
    ASSERT_TRUE(invalid) << "an invalid value must not encode";
    EXPECT_EQ(invalid->code(), CocoaError::propertyListWriteInvalid);
    EXPECT_THROW(PropertyList::encodeBinary(QVariantList { QVariant::fromValue(QSize(1, 2)) }), CocoaError);
}

TEST(PropertyList, DamagedBytesFailAsCorruptAndNeverCrash)
{
    const QByteArray valid = PropertyList::encodeBinary(
        QVariantMap { { "k", QVariantList { true, u"text"_s, qint64(7), QByteArray("xyz") } } });
    QRandomGenerator random(20261206);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = valid;
        const int changes = 1 + int(random.bounded(4));
        for (int change = 0; change < changes; ++change) {
            bytes[int(random.bounded(bytes.size()))] = char(random.bounded(256));
        }
        if (random.bounded(4) == 0) {
            bytes.truncate(int(random.bounded(bytes.size())));
        }
        try {
            PropertyList::decode(bytes);
        } catch (const CocoaError &error) {
            ASSERT_EQ(error.code(), CocoaError::propertyListReadCorrupt);
        }
    }
    const QByteArray malformed[] = { QByteArray(), "bplist00", valid.chopped(1), "not a plist at all",
        "<?xml version=\"1.0\"?><plist><true", QByteArray(64, '\xff'), "bplist00" + QByteArray(40, '\xff') };
    for (const QByteArray &bytes : malformed) {
        EXPECT_THROW(PropertyList::decode(bytes), CocoaError) << bytes.toHex().toStdString();
    }
}

} // namespace
