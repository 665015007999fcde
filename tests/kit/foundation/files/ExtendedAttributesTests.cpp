#include "UserAttributes.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/xattr.h>

namespace {

class ExtendedAttributesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString base = TestSupport::directoryWithUserAttributes();
        ASSERT_FALSE(base.isEmpty()) << "no writable directory here keeps user extended attributes";
        m_directory.emplace(QDir(base).filePath(QStringLiteral("xattr-XXXXXX")));
        ASSERT_TRUE(m_directory->isValid());
        m_path = m_directory->filePath(QStringLiteral("recording.m4a"));
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("audio");
        file.close();
    }

    QByteArray path() const { return QFile::encodeName(m_path); }
    QUrl url() const { return QUrl::fromLocalFile(m_path); }

    std::optional<QTemporaryDir> m_directory;
    QString m_path;
};

TEST_F(ExtendedAttributesTest, RoundTripsBytesIncludingEmptyValuesInTheUserNamespace)
{
    EXPECT_TRUE(listExtendedAttributeNames(path()).isEmpty());
    EXPECT_TRUE(extendedAttributeNames(url()).isEmpty());

    const QByteArray binary("\x00\x01\xff bytes", 9);
    writeExtendedAttribute(path(), QStringLiteral("com.example.data"), binary);
    writeExtendedAttribute(path(), QStringLiteral("empty"), QByteArray());
    EXPECT_EQ(readExtendedAttribute(path(), QStringLiteral("com.example.data")), binary);
    const QByteArray empty = readExtendedAttribute(path(), QStringLiteral("empty"));
    EXPECT_TRUE(empty.isEmpty());

    // The file system holds them under user.; listing gives the program's names back.
    char buffer[16] = {};
    EXPECT_EQ(::getxattr(path().constData(), "user.com.example.data", buffer, sizeof buffer), binary.size());
    EXPECT_EQ(listExtendedAttributeNames(path()), QByteArray("com.example.data\0empty\0", 23));
    EXPECT_EQ(extendedAttributeNames(url()), (QStringList { "com.example.data", "empty" }));

    writeExtendedAttribute(path(), QStringLiteral("com.example.data"), QByteArray("new"));
    EXPECT_EQ(readExtendedAttribute(path(), QStringLiteral("com.example.data")), QByteArray("new"));
}

TEST_F(ExtendedAttributesTest, ListingLeavesOutOtherNamespacesAndStripsFlags)
{
    ASSERT_EQ(::setxattr(path().constData(), "user.plain", "1", 1, 0), 0);
    setExtendedAttribute(url(), QByteArray("2"), QStringLiteral("flagged"),
        ExtendedAttributeFlag::contentDependent | ExtendedAttributeFlag::syncable);
    EXPECT_EQ(readExtendedAttribute(path(), QStringLiteral("flagged#CS")), QByteArray("2"));
    setExtendedAttribute(
        url(), QByteArray("3"), QStringLiteral("kept#C"), ExtendedAttributeFlag::noExport, false);
    EXPECT_EQ(readExtendedAttribute(path(), QStringLiteral("kept#C")), QByteArray("3"));
    EXPECT_EQ(extendedAttributeNames(url()), (QStringList { "plain", "flagged", "kept" }));
    EXPECT_EQ(extendedAttributeNameWithoutFlags(QStringLiteral("a#b")), QStringLiteral("a#b"));
    EXPECT_EQ(extendedAttributeNameWithoutFlags(QStringLiteral("a#")), QStringLiteral("a#"));
}

TEST_F(ExtendedAttributesTest, SystemFailuresCarryTheirErrorNumber)
{
    try {
        readExtendedAttribute(path(), QStringLiteral("missing"));
        FAIL() << "a missing attribute must fail";
    } catch (const Errno &error) {
        EXPECT_EQ(error.rawValue(), Errno::noSuchAttribute);
        EXPECT_TRUE(error.hasDomain(Errno::errorDomain, ENODATA));
    }
    const QByteArray gone = QFile::encodeName(m_directory->filePath(QStringLiteral("gone")));
    try {
        listExtendedAttributeNames(gone);
        FAIL() << "a missing file must fail";
    } catch (const Errno &error) {
        EXPECT_EQ(error.rawValue(), ENOENT);
    }
    EXPECT_THROW(writeExtendedAttribute(gone, QStringLiteral("x"), "y"), Errno);
}

TEST_F(ExtendedAttributesTest, MetadataValuesAreBooleanPropertyLists)
{
    const ExtendedAttributes attributes(url());
    EXPECT_EQ(metadataExtendedAttribute(url(), QStringLiteral("kMDItemIsScreenCapture")), std::nullopt);

    ExtendedAttributes::setMetadataBool(QStringLiteral("kMDItemIsScreenCapture"), true, url());
    EXPECT_EQ(
        metadataExtendedAttribute(url(), QStringLiteral("kMDItemIsScreenCapture")), std::optional(true));
    EXPECT_TRUE(readExtendedAttribute(path(), QStringLiteral("com.apple.metadata:kMDItemIsScreenCapture"))
                    .startsWith("bplist00"));

    ExtendedAttributes::setMetadataString(
        QStringLiteral("kMDItemCreator"), QStringLiteral("Tapewick 1.0"), url());
    EXPECT_EQ(PropertyList::decode(attributes.get(QStringLiteral("com.apple.metadata:kMDItemCreator"))),
        QVariant(QStringLiteral("Tapewick 1.0")));
    try {
        attributes.metadataValue(QStringLiteral("com.apple.metadata:kMDItemCreator"));
        FAIL() << "a string is not a Boolean";
    } catch (const CocoaError &error) {
        EXPECT_EQ(error.code(), CocoaError::propertyListReadCorrupt);
    }
}

TEST_F(ExtendedAttributesTest, MalformedPropertyListBytesFailWithoutCrashing)
{
    const QString key = QStringLiteral("com.apple.metadata:kMDItemIsScreenCapture");
    const QByteArray valid = PropertyList::encodeBinary(true);
    const QList<QByteArray> malformed {
        QByteArray(),
        QByteArray("bplist00"),
        valid.left(valid.size() - 1),
        QByteArray("not a plist at all"),
        QByteArray("<?xml version=\"1.0\"?><plist><true"),
        QByteArray(64, '\xff'),
        QByteArray("bplist00") + QByteArray(40, '\xff'),
    };
    for (const QByteArray &bytes : malformed) {
        writeExtendedAttribute(path(), key, bytes);
        EXPECT_THROW(ExtendedAttributes(url()).metadataValue(key), CocoaError) << bytes.toHex().toStdString();
    }
}

TEST_F(ExtendedAttributesTest, LocationsThatAreNotFilesFailBeforeAnySystemCall)
{
    const QUrl web(QStringLiteral("https://example.org/a.m4a"));
    const auto expectNoSuchFile = [](const auto &call) {
        try {
            call();
            ADD_FAILURE() << "expected fileNoSuchFile";
        } catch (const CocoaError &error) {
            EXPECT_EQ(error.code(), CocoaError::fileNoSuchFile);
            EXPECT_TRUE(error.userInfo().isEmpty());
        }
    };
    expectNoSuchFile([&] { metadataExtendedAttribute(web, QStringLiteral("kMDItemIsScreenCapture")); });
    expectNoSuchFile([&] { extendedAttributeNames(web); });
    expectNoSuchFile([&] { ExtendedAttributes(web).get(QStringLiteral("x")); });
    expectNoSuchFile([&] { setExtendedAttribute(web, "x", QStringLiteral("x")); });
    expectNoSuchFile([&] { ExtendedAttributes::setMetadataBool(QStringLiteral("k"), true, web); });
}

TEST(ExtendedAttributesUnsupported, AFileSystemWithoutUserAttributesGivesAClearError)
{
    const QByteArray path("/proc/self/comm");
    if (::setxattr(path.constData(), "user.probe", "", 0, 0) == 0 || errno != ENOTSUP) {
        GTEST_SKIP() << "this kernel's proc file system unexpectedly accepts user attributes";
    }
    try {
        writeExtendedAttribute(path, QStringLiteral("com.apple.metadata:kMDItemCreator"), "x");
        FAIL() << "writing must fail";
    } catch (const Errno &error) {
        EXPECT_EQ(error.rawValue(), ENOTSUP);
        EXPECT_TRUE(
            error.localizedDescription().contains(QStringLiteral("does not support extended attributes")))
            << error.what();
    }
}

} // namespace
