#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/PropertyList.h"

#include "KitTesting.h"
#include "UserAttributes.h"

#include <QTemporaryDir>

#include <sys/xattr.h>

using namespace Qt::StringLiterals;

namespace {

using KitTesting::thrown;

class ExtendedAttributesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString base = TestSupport::directoryWithUserAttributes();
        ASSERT_FALSE(base.isEmpty()) << "no writable directory here keeps user extended attributes";
        m_directory.emplace(QDir(base).filePath(u"xattr-XXXXXX"_s));
        ASSERT_TRUE(m_directory->isValid());
        m_path = KitTesting::writeFile(m_directory->filePath(u"recording.m4a"_s));
    }

    QByteArray path() const { return QFile::encodeName(m_path); }
    QUrl url() const { return QUrl::fromLocalFile(m_path); }

    std::optional<QTemporaryDir> m_directory;
    QString m_path;
};

TEST_F(ExtendedAttributesTest, RoundTripsBytesInTheUserNamespaceAndListsThemWithoutFlags)
{
    EXPECT_TRUE(listExtendedAttributeNames(path()).isEmpty());
    EXPECT_TRUE(extendedAttributeNames(url()).isEmpty());

    const QByteArray binary("\x00\x01\xff bytes", 9);
    writeExtendedAttribute(path(), u"com.example.data"_s, binary);
    writeExtendedAttribute(path(), u"empty"_s, QByteArray());
    EXPECT_EQ(readExtendedAttribute(path(), u"com.example.data"_s), binary);
    const QByteArray empty = readExtendedAttribute(path(), u"empty"_s);
    EXPECT_TRUE(empty.isEmpty());

    // The file system holds them under user.; listing gives the program's names back.
    char buffer[16] = {};
    EXPECT_EQ(::getxattr(path().constData(), "user.com.example.data", buffer, sizeof buffer), binary.size());
    EXPECT_EQ(listExtendedAttributeNames(path()), QByteArray("com.example.data\0empty\0", 23));
    EXPECT_EQ(extendedAttributeNames(url()), (QStringList { "com.example.data", "empty" }));

    writeExtendedAttribute(path(), u"com.example.data"_s, QByteArray("new"));
    EXPECT_EQ(readExtendedAttribute(path(), u"com.example.data"_s), QByteArray("new"));

    ASSERT_EQ(::setxattr(path().constData(), "user.plain", "1", 1, 0), 0);
    setExtendedAttribute(url(), QByteArray("2"), u"flagged"_s,
        ExtendedAttributeFlag::contentDependent | ExtendedAttributeFlag::syncable);
    EXPECT_EQ(readExtendedAttribute(path(), u"flagged#CS"_s), QByteArray("2"));
    setExtendedAttribute(url(), QByteArray("3"), u"kept#C"_s, ExtendedAttributeFlag::noExport, false);
    EXPECT_EQ(readExtendedAttribute(path(), u"kept#C"_s), QByteArray("3"));
    QStringList names = extendedAttributeNames(url());
    names.sort();
    EXPECT_EQ(names, (QStringList { "com.example.data", "empty", "flagged", "kept", "plain" }));
    EXPECT_EQ(extendedAttributeNameWithoutFlags(u"a#b"_s), u"a#b"_s);
    EXPECT_EQ(extendedAttributeNameWithoutFlags(u"a#"_s), u"a#"_s);
}

TEST_F(ExtendedAttributesTest, SystemFailuresCarryTheirErrorNumber)
{
    const auto missing = thrown<Errno>([&] { readExtendedAttribute(path(), u"missing"_s); });
    ASSERT_TRUE(missing) << "a missing attribute must fail";
    EXPECT_TRUE(missing->hasDomain(Errno::errorDomain, ENODATA));
    const QByteArray gone = QFile::encodeName(m_directory->filePath(u"gone"_s));
    EXPECT_EQ(thrown<Errno>([&] { listExtendedAttributeNames(gone); }).value_or(Errno(0)).rawValue(), ENOENT);
    EXPECT_THROW(writeExtendedAttribute(gone, u"x"_s, "y"), Errno);
}

TEST_F(ExtendedAttributesTest, MetadataValuesAreBooleanPropertyLists)
{
    const ExtendedAttributes attributes(url());
    EXPECT_EQ(metadataExtendedAttribute(url(), u"kMDItemIsScreenCapture"_s), std::nullopt);

    ExtendedAttributes::setMetadataBool(u"kMDItemIsScreenCapture"_s, true, url());
    EXPECT_EQ(metadataExtendedAttribute(url(), u"kMDItemIsScreenCapture"_s), std::optional(true));
    EXPECT_TRUE(
        readExtendedAttribute(path(), u"com.apple.metadata:kMDItemIsScreenCapture"_s).startsWith("bplist00"));

    ExtendedAttributes::setMetadataString(u"kMDItemCreator"_s, u"Tapewick 1.0"_s, url());
    EXPECT_EQ(PropertyList::decode(attributes.get(u"com.apple.metadata:kMDItemCreator"_s)),
        QVariant(u"Tapewick 1.0"_s));
    const auto notBoolean
        = thrown<CocoaError>([&] { attributes.metadataValue(u"com.apple.metadata:kMDItemCreator"_s); });
    ASSERT_TRUE(notBoolean) << "a string is not a Boolean";
    EXPECT_EQ(notBoolean->code(), CocoaError::propertyListReadCorrupt);
    writeExtendedAttribute(path(), u"com.apple.metadata:kMDItemIsScreenCapture"_s, "bplist00");
    EXPECT_THROW(attributes.metadataValue(u"com.apple.metadata:kMDItemIsScreenCapture"_s), CocoaError);
}

TEST_F(ExtendedAttributesTest, LocationsThatAreNotFilesFailBeforeAnySystemCall)
{
    const QUrl web(u"https://example.org/a.m4a"_s);
    const auto expectNoSuchFile = [](const auto &call) {
        const auto error = thrown<CocoaError>(call);
        ASSERT_TRUE(error) << "expected fileNoSuchFile";
        EXPECT_EQ(error->code(), CocoaError::fileNoSuchFile);
        EXPECT_TRUE(error->userInfo().isEmpty());
    };
    expectNoSuchFile([&] { metadataExtendedAttribute(web, u"kMDItemIsScreenCapture"_s); });
    expectNoSuchFile([&] { extendedAttributeNames(web); });
    expectNoSuchFile([&] { ExtendedAttributes(web).get(u"x"_s); });
    expectNoSuchFile([&] { setExtendedAttribute(web, "x", u"x"_s); });
    expectNoSuchFile([&] { ExtendedAttributes::setMetadataBool(u"k"_s, true, web); });
}

TEST(ExtendedAttributesUnsupported, AFileSystemWithoutUserAttributesGivesAClearError)
{
    const QByteArray path("/proc/self/comm");
    if (::setxattr(path.constData(), "user.probe", "", 0, 0) == 0 || errno != ENOTSUP) {
        GTEST_SKIP() << "this kernel's proc file system unexpectedly accepts user attributes";
    }
    const auto error
        = thrown<Errno>([&] { writeExtendedAttribute(path, u"com.apple.metadata:kMDItemCreator"_s, "x"); });
    ASSERT_TRUE(error) << "writing must fail";
    EXPECT_EQ(error->rawValue(), ENOTSUP);
    EXPECT_TRUE(error->localizedDescription().contains(u"does not support extended attributes"_s))
        << error->what();
}

} // namespace
