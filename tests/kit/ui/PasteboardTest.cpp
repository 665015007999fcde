#include "kit/ui/Pasteboard.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/PasteboardSimpleObservable.h"

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
    // The file's location, its path and its source are checked where a saved recording is copied.
    EXPECT_EQ(data->data("x-special/gnome-copied-files"),
        QByteArray("copy\nfile:///tmp/My%20Recording%20100%25.m4a"));
}

TEST_F(PasteboardTest, OtherUrlsAreCopiedAsTextAndMailAddressesWithoutTheirSchemeOnce)
{
    for (const auto &[url, text] : std::vector<std::pair<QString, QString>> {
             { "mailto:mailto:someone@example.org", "mailto:someone@example.org" },
             { "MAILTO:someone@example.org", "someone@example.org" }, // the parser lowers the scheme
             { "https://example.org/a b", "https://example.org/a%20b" } }) {
        PasteboardItem item;
        ASSERT_TRUE(item.setUrl(QUrl(url)));
        EXPECT_EQ(item.mimeData().text(), text);
        EXPECT_FALSE(item.mimeData().hasFormat("x-special/gnome-copied-files"));
    }
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

TEST_F(PasteboardTest, ObservableReleasedWhileTellingStopsFollowing)
{
    auto observable = std::make_unique<Pasteboard::SimpleObservable>();
    int told = 0;
    const auto subscription = observable->objectWillChange().sink([&] {
        ++told;
        observable.reset();
    });
    clipboard()->setText(QStringLiteral("first"));
    clipboard()->setText(QStringLiteral("second"));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(observable, nullptr);
}

} // namespace
