#include "kit/ui/Pasteboard.h"
#include "kit/foundation/system/FoundationHooks.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class PasteboardTest : public ::testing::Test
{
protected:
    void SetUp() override { FoundationHooks::setAppIdentifier(QStringLiteral("org.example.Recorder")); }
    void TearDown() override { FoundationHooks::setAppIdentifier({}); }
    QClipboard *clipboard() { return QGuiApplication::clipboard(); }
};

TEST_F(PasteboardTest, CopiedFileCarriesEveryFormatInOneWrite)
{
    QSignalSpy changes(clipboard(), &QClipboard::dataChanged);
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/tmp/My Recording 100%.m4a"));
    ASSERT_TRUE(Pasteboard::copyUrl(url));

    EXPECT_EQ(changes.count(), 1);
    const QMimeData *data = clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data("text/uri-list").trimmed(), QByteArray("file:///tmp/My%20Recording%20100%25.m4a"));
    EXPECT_EQ(data->text(), QStringLiteral("/tmp/My Recording 100%.m4a"));
    EXPECT_EQ(data->data("x-special/gnome-copied-files"),
        QByteArray("copy\nfile:///tmp/My%20Recording%20100%25.m4a"));
    EXPECT_EQ(data->data("org.nspasteboard.source"), QByteArray("org.example.Recorder"));
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls().first(), url);
}

TEST_F(PasteboardTest, MailAddressIsCopiedWithoutItsSchemeOnce)
{
    PasteboardItem item;
    ASSERT_TRUE(item.setUrl(QUrl(QStringLiteral("mailto:mailto:someone@example.org"))));
    EXPECT_EQ(item.mimeData().text(), QStringLiteral("mailto:someone@example.org"));
    EXPECT_FALSE(item.mimeData().hasFormat("x-special/gnome-copied-files"));

    PasteboardItem upper;
    ASSERT_TRUE(upper.setUrl(QUrl(QStringLiteral("MAILTO:someone@example.org"))));
    // The scheme is case-insensitive for URLs, so the parser lowers it.
    EXPECT_EQ(upper.mimeData().text(), QStringLiteral("someone@example.org"));

    PasteboardItem web;
    ASSERT_TRUE(web.setUrl(QUrl(QStringLiteral("https://example.org/a b"))));
    EXPECT_EQ(web.mimeData().text(), QStringLiteral("https://example.org/a%20b"));
    EXPECT_EQ(web.mimeData().data("text/uri-list").trimmed(), QByteArray("https://example.org/a%20b"));
}

TEST_F(PasteboardTest, CopiedTextIsMarkedAndAnUnwritableUrlLeavesItAlone)
{
    Pasteboard::copyString(QStringLiteral("kept"));
    ASSERT_NE(clipboard()->mimeData(), nullptr);
    EXPECT_EQ(clipboard()->mimeData()->data("org.nspasteboard.source"), QByteArray("org.example.Recorder"));
    EXPECT_FALSE(clipboard()->mimeData()->hasUrls());
    QSignalSpy changes(clipboard(), &QClipboard::dataChanged);

    PasteboardItem item;
    EXPECT_FALSE(item.setUrl(QUrl()));
    EXPECT_FALSE(item.mimeData().hasText());
    EXPECT_FALSE(item.mimeData().hasUrls());

    EXPECT_FALSE(Pasteboard::copyUrl(QUrl()));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(clipboard()->text(), QStringLiteral("kept"));
}

} // namespace
