#include "platform/events/RegularFile.h"

#include "LonelyFifo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using Status = RegularFile::Contents::Status;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

TEST(RegularFile, ReadsOnlyARegularFileWithinTheLimit)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString file = directory.filePath(QStringLiteral("file"));
    ASSERT_TRUE(writeFile(file, QByteArrayLiteral("twelve bytes")));
    ASSERT_TRUE(writeFile(directory.filePath(QStringLiteral("empty")), {}));
    ASSERT_TRUE(QFile::link(file, directory.filePath(QStringLiteral("link"))));
    ASSERT_TRUE(QDir(directory.path()).mkdir(QStringLiteral("folder")));
    const struct
    {
        const char *what;
        QString name;
        std::optional<qint64> limit;
        Status status;
        QByteArray bytes;
        qint64 size;
    } cases[] = {
        { "no limit", QStringLiteral("file"), std::nullopt, Status::read, "twelve bytes", 12 },
        { "exactly the limit", QStringLiteral("file"), 12, Status::read, "twelve bytes", 12 },
        { "one byte over", QStringLiteral("file"), 11, Status::tooLarge, {}, 12 },
        { "empty", QStringLiteral("empty"), 0, Status::read, {}, 0 },
        { "through a link", QStringLiteral("link"), 64, Status::read, "twelve bytes", 12 },
        { "a folder", QStringLiteral("folder"), std::nullopt, Status::notRegular, {}, 0 },
        { "nothing there", QStringLiteral("missing"), std::nullopt, Status::missing, {}, 0 },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.what);
        const QString path = directory.filePath(testCase.name);
        const RegularFile::Contents contents
            = testCase.limit ? RegularFile::read(path, *testCase.limit) : RegularFile::read(path);
        EXPECT_EQ(contents.status, testCase.status);
        EXPECT_EQ(contents.bytes, testCase.bytes);
        EXPECT_EQ(contents.size, testCase.size);
        EXPECT_EQ(contents.failure.isEmpty(), testCase.status != Status::missing);
    }
}

TEST(RegularFile, AFifoIsRefusedWithoutWaitingForAWriter)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const TestSupport::LonelyFifo fifo(directory.filePath(QStringLiteral("fifo")));
    ASSERT_TRUE(fifo.made());
    std::optional<RegularFile::Contents> contents;
    EXPECT_TRUE(fifo.readsWithoutWaiting([&] { contents = RegularFile::read(directory.filePath("fifo")); }));
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->status, Status::notRegular);
    EXPECT_TRUE(contents->bytes.isEmpty());
}

} // namespace
