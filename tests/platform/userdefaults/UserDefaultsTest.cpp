#include "FileContents.h"
#include "TemporaryConfigHome.h"

#include "EventLoop.h"
#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaults.h"

#include <atomic>
#include <sys/stat.h>
#include <thread>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

class UserDefaultsTest : public ::testing::Test
{
protected:
    // The values the file holds now.
    static PropertyDictionary onDisk(const QString &path)
    {
        const auto document = PropertyJson::decodeDocument(readFile(path).toStdString());
        EXPECT_TRUE(document) << "the file does not parse";
        return document ? document->values : PropertyDictionary {};
    }
    QStringList filesInAppDirectory() const
    {
        return QDir(m_home.appDirectory()).entryList(QDir::Files | QDir::Hidden);
    }

    TemporaryConfigHome m_home;
};

TEST_F(UserDefaultsTest, OneInstancePerSuiteEachInAPrivateFileOfItsOwnThatOutlivesIt)
{
    auto first = UserDefaults::suite("a");
    EXPECT_TRUE(first->dictionaryRepresentation().empty());
    EXPECT_FALSE(QFileInfo::exists(first->filePath()));
    EXPECT_EQ(first, UserDefaults::suite("a"));
    EXPECT_NE(first, UserDefaults::suite("b"));
    EXPECT_NE(first->filePath(), UserDefaults::suite("b")->filePath());
    EXPECT_NE(UserDefaults::suite("defaults")->filePath(), UserDefaults::standard()->filePath());
    EXPECT_EQ(
        QFileInfo(UserDefaults::suite("../evil/name")->filePath()).absolutePath(), m_home.appDirectory());

    // Values survive a new view of the suite, in a private file.
    const PropertyValue nested(PropertyDictionary { { "data", PropertyValue(QByteArray("\x01\x02", 2)) },
        { "date", PropertyValue(PropertyDate(std::chrono::nanoseconds(1'700'000'000'123'456'789))) },
        { "nan", PropertyValue(std::numeric_limits<double>::quiet_NaN()) },
        { "unsigned", PropertyValue(std::numeric_limits<std::uint64_t>::max()) } });
    QString fileName;
    {
        auto defaults = UserDefaults::suite("persist");
        defaults->setObject("nested", nested);
        defaults->setObject("double", PropertyValue(2.0));
        fileName = QFileInfo(defaults->filePath()).fileName();
    }
    auto reopened = UserDefaults::suite("persist");
    EXPECT_EQ(reopened->object("nested"), nested);
    EXPECT_EQ(reopened->object("double"), PropertyValue(2.0));

    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(reopened->filePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(m_home.appDirectory()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // No temporary file is left behind.
    for (const QString &name : filesInAppDirectory()) {
        EXPECT_TRUE(name == fileName || name.endsWith(".lock")) << name.toStdString();
    }
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAreReadUnderStoredValuesButNeverStored)
{
    auto defaults = UserDefaults::suite("test");
    defaults->registerDefaults({ { "a", PropertyValue(1) }, { "b", PropertyValue(2) } });
    defaults->setObject("b", PropertyValue(20));
    defaults->setObject("c", PropertyValue(30));
    EXPECT_EQ(defaults->dictionaryRepresentation(),
        (PropertyDictionary {
            { "a", PropertyValue(1) }, { "b", PropertyValue(20) }, { "c", PropertyValue(30) } }));
    EXPECT_EQ(onDisk(defaults->filePath()),
        (PropertyDictionary { { "b", PropertyValue(20) }, { "c", PropertyValue(30) } }));
    defaults->removeObject("b");
    EXPECT_EQ(defaults->object("b"), PropertyValue(2));
    EXPECT_EQ(defaults->string("c"), std::nullopt) << "a number is no text";
    defaults->setObject("c", PropertyValue("30"));
    EXPECT_EQ(defaults->string("c"), "30");

    defaults->removeAll();
    EXPECT_EQ(defaults->object("a"), PropertyValue(1));
    EXPECT_EQ(defaults->object("c"), std::nullopt);
    EXPECT_EQ(readFile(defaults->filePath()).trimmed(), "{}");
}

// An unparsable file is moved aside and the store starts empty; an undecodable entry is skipped but
// kept in the file.
TEST_F(UserDefaultsTest, AnUnreadableFileOrEntryIsSetAsideNotLost)
{
    const QString brokenPath = UserDefaults::suite("broken")->filePath();
    writeFile(brokenPath, "{\"truncated\": [1, 2");
    auto broken = UserDefaults::suite("broken");
    EXPECT_TRUE(broken->dictionaryRepresentation().empty());
    const QStringList aside = filesInAppDirectory().filter(".unreadable-");
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(m_home.appDirectory() + "/" + aside.first()), "{\"truncated\": [1, 2");
    broken->setObject("k", PropertyValue(1));
    EXPECT_EQ(onDisk(brokenPath), (PropertyDictionary { { "k", PropertyValue(1) } }));

    const QString path = UserDefaults::suite("partial")->filePath();
    writeFile(path, R"({"good": 1, "odd": {"$mystery": 2}})");
    auto defaults = UserDefaults::suite("partial");
    EXPECT_EQ(defaults->object("good"), PropertyValue(1));
    EXPECT_EQ(defaults->object("odd"), std::nullopt);
    defaults->setObject("new", PropertyValue(2));
    const auto document = PropertyJson::decodeDocument(readFile(path).toStdString());
    ASSERT_TRUE(document);
    EXPECT_TRUE(document->undecodable.contains("odd"));
    // Writing the key replaces the undecodable entry.
    defaults->setObject("odd", PropertyValue(3));
    const auto replaced = PropertyJson::decodeDocument(readFile(path).toStdString());
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(replaced->undecodable.empty());
    EXPECT_EQ(replaced->values.at("odd"), PropertyValue(3));
}

struct Recorder
{
    std::vector<KeyValueChange> changes;
    KeyValueObserver observer()
    {
        return [this](const KeyValueChange &change) { changes.push_back(change); };
    }
};

TEST_F(UserDefaultsTest, ObserversGetEveryWriteAsAskedOnTheWritingThreadAndNothingOnceRemoved)
{
    auto defaults = UserDefaults::suite("test");
    defaults->registerDefaults({ { "k", PropertyValue(5) } });
    Recorder both, newOnly;
    defaults->addObserver("k", KeyValueObservingOption::New | KeyValueObservingOption::Old, both.observer());
    defaults->addObserver(
        "k", static_cast<KeyValueObservingOptions>(KeyValueObservingOption::New), newOnly.observer());
    defaults->setObject("k", PropertyValue(1));
    defaults->setObject("k", PropertyValue(1)); // the same value still tells
    defaults->setObject("other", PropertyValue(3));
    defaults->removeObject("absent"); // changes nothing and tells nobody
    defaults->removeObject("k");
    ASSERT_EQ(both.changes.size(), 3u);
    EXPECT_EQ(both.changes[0].oldValue, PropertyValue(5));
    EXPECT_EQ(both.changes[0].newValue, PropertyValue(1));
    EXPECT_EQ(both.changes[1].oldValue, PropertyValue(1));
    EXPECT_EQ(both.changes[2].oldValue, PropertyValue(1));
    EXPECT_EQ(both.changes[2].newValue, PropertyValue(5)) << "a removal tells the registered default";
    EXPECT_EQ(both.changes[0].object, defaults.get());
    ASSERT_EQ(newOnly.changes.size(), 3u);
    EXPECT_EQ(newOnly.changes[1].oldValue, std::nullopt);

    std::thread::id callbackThread;
    defaults->addObserver(
        "t", 1, [&](const KeyValueChange &) { callbackThread = std::this_thread::get_id(); });
    std::thread::id writer;
    std::thread thread([&] {
        writer = std::this_thread::get_id();
        defaults->setObject("t", PropertyValue(1));
    });
    thread.join();
    EXPECT_EQ(callbackThread, writer);

    // A removed observer hears nothing; an observer may write from its callback, as no lock is
    // held there.
    int calls = 0;
    const KeyValueObserverId id = defaults->addObserver("r", 3, [&](const KeyValueChange &) {
        ++calls;
        defaults->setObject("echo", PropertyValue(calls));
    });
    defaults->setObject("r", PropertyValue(1));
    defaults->removeObserver(id);
    defaults->removeObserver(id);
    defaults->setObject("r", PropertyValue(2));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(defaults->object("echo"), PropertyValue(1));

    // Initial comes before addObserver returns, and Prior before the change.
    defaults->setObject("k", PropertyValue(1));
    Recorder recorder;
    defaults->addObserver("k",
        KeyValueObservingOption::New | KeyValueObservingOption::Old | KeyValueObservingOption::Initial,
        recorder.observer());
    ASSERT_EQ(recorder.changes.size(), 1u);
    EXPECT_EQ(recorder.changes[0].newValue, PropertyValue(1));
    EXPECT_EQ(recorder.changes[0].oldValue, std::nullopt);
    EXPECT_FALSE(recorder.changes[0].isPrior);

    std::vector<std::pair<bool, std::optional<PropertyValue>>> seen;
    defaults->addObserver("k",
        KeyValueObservingOption::New | KeyValueObservingOption::Old | KeyValueObservingOption::Prior,
        [&](const KeyValueChange &change) {
            seen.emplace_back(change.isPrior, defaults->object("k"));
            if (change.isPrior) {
                EXPECT_EQ(change.newValue, std::nullopt);
                EXPECT_EQ(change.oldValue, PropertyValue(1));
            }
        });
    defaults->setObject("k", PropertyValue(2));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].first);
    EXPECT_EQ(seen[0].second, PropertyValue(1)) << "the old value is still readable";
    EXPECT_FALSE(seen[1].first);
    EXPECT_EQ(seen[1].second, PropertyValue(2));
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing)
{
    auto defaults = UserDefaults::suite("test");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                defaults->setObject("t" + std::to_string(t) + "_" + std::to_string(i), PropertyValue(i));
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(defaults->dictionaryRepresentation().size(), 100u);
    EXPECT_EQ(onDisk(defaults->filePath()).size(), 100u);
}

TEST_F(UserDefaultsTest, AnotherWritersChangeIsNoticedAndOnlyDifferingKeysAreReported)
{
    auto defaults = UserDefaults::suite("shared");
    defaults->setObject("same", PropertyValue(1));
    defaults->setObject("changed", PropertyValue(1));
    defaults->setObject("removed", PropertyValue(1));
    std::vector<std::string> keys;
    for (const char *key : { "same", "changed", "removed", "added" }) {
        defaults->addObserver(key, 3, [&](const KeyValueChange &change) { keys.push_back(change.key); });
    }
    // What a second process does: replace the file atomically.
    const QString temporary = defaults->filePath() + ".other";
    writeFile(temporary, R"({"same": 1, "changed": 2, "added": "new"})");
    ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(),
                  QFile::encodeName(defaults->filePath()).constData()),
        0);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return keys.size() >= 3; }));
    TestSupport::processEventsFor(std::chrono::milliseconds(50));
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (std::vector<std::string> { "added", "changed", "removed" }));
    EXPECT_EQ(defaults->object("changed"), PropertyValue(2));
    EXPECT_EQ(defaults->object("removed"), std::nullopt);
    EXPECT_EQ(defaults->object("added"), PropertyValue("new"));

    // An edit in place is noticed too.
    writeFile(defaults->filePath(), R"({"same": 1, "changed": 3, "added": "new"})");
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return keys.size() == 4; }));
    EXPECT_EQ(keys.back(), "changed");
    EXPECT_EQ(defaults->object("changed"), PropertyValue(3));
}

// A write merges another process's changes first; a broken edit is moved aside and the last
// good values are kept.
TEST_F(UserDefaultsTest, AWriteMergesAnotherProcessesChangesAndABrokenEditLosesNothing)
{
    auto defaults = UserDefaults::suite("merge");
    defaults->setObject("mine", PropertyValue(1));
    writeFile(defaults->filePath(), R"({"mine": 1, "theirs": 2})");
    defaults->setObject("mine", PropertyValue(3)); // before the watcher had a chance
    const PropertyDictionary merged { { "mine", PropertyValue(3) }, { "theirs", PropertyValue(2) } };
    EXPECT_EQ(onDisk(defaults->filePath()), merged);

    writeFile(defaults->filePath(), "{ not json");
    defaults->synchronizeFromDisk();
    EXPECT_EQ(defaults->object("mine"), PropertyValue(3));
    EXPECT_EQ(onDisk(defaults->filePath()), merged);
    EXPECT_EQ(filesInAppDirectory().filter(".unreadable-").size(), 1);
}

} // namespace
