#include "Command.h"
#include "DesktopTest.h"
#include "EventLoop.h"
#include "ProgramProcess.h"
#include "ScopedEnv.h"

#include "MediaProbe.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/files/BookmarkData.h"
#include "platform/userdefaults/UserDefaults.h"
#include "recording/RecordingTexts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QString busName = QStringLiteral("com.larkvelden.Tapewick");
const QString objectPath = QStringLiteral("/com/larkvelden/Tapewick");
const QString intents = QStringLiteral("com.larkvelden.Tapewick.Intents");

// What a user's script would run.
QStringList gdbusCall(const QString &method, const QStringList &arguments = {})
{
    return QStringList { QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
        busName, QStringLiteral("--object-path"), objectPath, QStringLiteral("--method"),
        intents + QLatin1Char('.') + method }
    + arguments;
}

QDBusMessage call(const QString &method, const QVariantList &arguments = {},
    QDBusConnection bus = QDBusConnection::sessionBus())
{
    QDBusMessage message = QDBusMessage::createMethodCall(busName, objectPath, intents, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 5000);
}

// Empty when the program does not answer.
QString state()
{
    const QDBusMessage reply = call(QStringLiteral("GetRecordingState"));
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toString() : QString();
}

double duration()
{
    return call(QStringLiteral("GetActiveRecordingDuration")).arguments().value(0).toDouble();
}

bool waitFor(const std::function<bool()> &done)
{
    return TestSupport::processEventsUntil(done, std::chrono::seconds(10));
}

class IntentsOnTheBusTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        ProgramProcess::resetSettings();
        Defaults::set(SettingsKeys::defaultOutputDirectory(),
            std::optional(SandboxURLBookmark::fromURL(QUrl::fromLocalFile(m_output.path()))));
        Defaults::set(SettingsKeys::showInFinderAfterSaving(), false);
        m_program.emplace();
        ASSERT_TRUE(waitFor([] { return !state().isEmpty(); })) << log().toStdString();
    }

    QString log() { return m_program->log(); }
    int recordingsStarted() { return log().count(QStringLiteral("Recording into")); }

    void setState(const QString &name)
    {
        const QDBusMessage reply = call(QStringLiteral("SetRecordingState"), { name });
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    QStringList saved() const { return QDir(m_output.path()).entryList(QDir::Files); }
    // Hidden files too: what an interrupted copy or rewrite leaves is hidden.
    QStringList everything() const { return QDir(m_output.path()).entryList(QDir::Files | QDir::Hidden); }

    // Starts a recording and answers its temporary file once it runs.
    QString record()
    {
        const int before = recordingsStarted();
        setState(QStringLiteral("recording"));
        EXPECT_TRUE(waitFor([&] { return recordingsStarted() > before; })) << log().toStdString();
        const auto matches
            = QRegularExpression(QStringLiteral("Recording into \"([^\"]+)\"")).globalMatch(log());
        QString file;
        for (auto match = matches; match.hasNext();) {
            file = match.next().captured(1);
        }
        return file;
    }

    QTemporaryDir m_output;
    std::optional<ProgramProcess> m_program;
};

TEST_F(IntentsOnTheBusTest, WhileStoppedTheAnswersAreRightAndBadCallsChangeNothing)
{
    struct Case
    {
        QStringList gdbusArguments;
        bool succeeds;
        QString output; // stdout, or what stderr contains
    };
    const QString invalidArgs = QStringLiteral("GDBus.Error:org.freedesktop.DBus.Error.InvalidArgs: ");
    const std::vector<Case> cases {
        { gdbusCall("GetRecordingState"), true, "('stopped',)" },
        { gdbusCall("GetActiveRecordingDuration"), true, "(-1.0,)" },
        { gdbusCall("GetPreviousRecording"), false,
            "GDBus.Error:com.larkvelden.Tapewick.Error.NoPreviousRecording: No previous recording" },
        { gdbusCall("SetRecordingState", { "paused" }), true, "()" },
        { gdbusCall("SetRecordingState", { "Paused" }), false,
            invalidArgs
                + "The state must be one of stopped, recording, paused, or empty for recording; "
                  "\"Paused\" is none of them" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.gdbusArguments.join(u' ').toStdString());
        const TestSupport::CommandResult result
            = TestSupport::runCommand(QStringLiteral("gdbus"), c.gdbusArguments);
        ASSERT_TRUE(result.started && result.finished) << result.describe().toStdString();
        EXPECT_EQ(result.succeeded(), c.succeeds) << result.describe().toStdString();
        EXPECT_TRUE((c.succeeds ? result.output : result.errorOutput).contains(c.output))
            << result.describe().toStdString();
    }
    // A wrong type, which gdbus would have converted.
    const QDBusMessage wrongType = call(QStringLiteral("SetRecordingState"), { 1 });
    EXPECT_EQ(wrongType.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    EXPECT_EQ(wrongType.errorMessage(),
        QStringLiteral("SetRecordingState takes (s state), not arguments of type (i)"));

    EXPECT_EQ(state(), QStringLiteral("stopped"));
}

// With no sound server where the program looks for one, a start over the bus answers that the
// server is not running and what to do, as the tray menu and the shortcut's alert say; a stop
// still just answers.
TEST_F(IntentsOnTheBusTest, WithoutTheSoundServerAStartAnswersWhyAndWhatToDo)
{
    m_program.reset();
    const QTemporaryDir nowhere;
    ASSERT_TRUE(nowhere.isValid());
    const TestSupport::ScopedEnv noServer("PULSE_SERVER", u"unix:"_s + nowhere.filePath(u"native"_s));
    m_program.emplace();
    ASSERT_TRUE(waitFor([] { return !state().isEmpty(); })) << log().toStdString();
    const QString notRunning = u"GDBus.Error:com.larkvelden.Tapewick.Error.CannotRecord: "_s
        + RecordingTexts::soundServerNotRunning() + u' ' + RecordingTexts::soundServerNotRunningSuggestion();
    const struct
    {
        const char *state;
        bool succeeds;
        QString output; // stdout, or what stderr contains
    } cases[] = {
        { "recording", false, notRunning },
        { "''", false, notRunning },
        { "stopped", true, u"()"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.state);
        const TestSupport::CommandResult result = TestSupport::runCommand(QStringLiteral("gdbus"),
            gdbusCall(QStringLiteral("SetRecordingState"), { QString::fromLatin1(c.state) }));
        ASSERT_TRUE(result.started && result.finished) << result.describe().toStdString();
        EXPECT_EQ(result.succeeded(), c.succeeds) << result.describe().toStdString();
        EXPECT_TRUE((c.succeeds ? result.output : result.errorOutput).contains(c.output))
            << result.describe().toStdString();
    }
    EXPECT_EQ(state(), QStringLiteral("stopped"));
    EXPECT_EQ(recordingsStarted(), 0) << log().toStdString();
}

TEST_F(IntentsOnTheBusTest, ARecordingStartedPausedReplacedAndFinishedThroughTheIntents)
{
    setState(QString()); // the default: recording
    ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("recording"); })) << log().toStdString();
    setState(QStringLiteral("recording"));
    TestSupport::processEventsFor(std::chrono::milliseconds(500));
    EXPECT_EQ(state(), QStringLiteral("recording"));
    EXPECT_EQ(recordingsStarted(), 1) << "a second request starts nothing";

    // The duration follows the clock; the recorder's timer ticks every 0.1 s.
    ASSERT_TRUE(waitFor([] { return duration() >= 1.0; }));
    QElapsedTimer clock;
    clock.start();
    const double before = duration();
    TestSupport::processEventsFor(std::chrono::milliseconds(1500));
    const double after = duration();
    EXPECT_NEAR(after - before, clock.elapsed() / 1000.0, 0.15);

    setState(QStringLiteral("paused"));
    ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("paused"); }));
    const double paused = duration();
    TestSupport::processEventsFor(std::chrono::milliseconds(300));
    EXPECT_EQ(duration(), paused) << "a paused recording's time stands still";
    EXPECT_GT(paused, after);

    // Recording again while paused starts a new recording; the paused one is finished and saved.
    setState(QStringLiteral("recording"));
    ASSERT_TRUE(waitFor([&] { return recordingsStarted() == 2; })) << log().toStdString();
    ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("recording"); }));
    EXPECT_LT(duration(), paused);
    ASSERT_TRUE(waitFor([&] { return saved().size() == 1; })) << log().toStdString();
    const QString replaced = saved().first();

    // Stopping while paused finishes the recording: it is saved and becomes the previous one.
    setState(QStringLiteral("paused"));
    ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("paused"); }));
    setState(QStringLiteral("stopped"));
    ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("stopped"); }));
    EXPECT_EQ(duration(), -1);
    ASSERT_TRUE(waitFor([&] { return saved().size() == 2; })) << log().toStdString();
    QStringList names = saved();
    names.removeOne(replaced);
    const QString file = QDir(m_output.path()).filePath(names.value(0));
    QDBusMessage previous;
    // The file shows in the folder while it is still being copied; it is the previous recording
    // once the copy is complete on disk.
    ASSERT_TRUE(waitFor([&] {
        previous = call(QStringLiteral("GetPreviousRecording"));
        return previous.type() == QDBusMessage::ReplyMessage && previous.arguments().value(0) == file;
    })) << previous.errorMessage().toStdString();
    EXPECT_EQ(previous.arguments(),
        QVariantList({ file, QFileInfo(file).fileName(), QStringLiteral("audio/mp4") }));

    // As the program stored it, once this process has read the settings again.
    std::optional<SandboxURLBookmark> remembered;
    ASSERT_TRUE(waitFor([&] {
        remembered = Defaults::get(SettingsKeys::previousRecording());
        return remembered && remembered->originalURL() == QUrl::fromLocalFile(file);
    }));
    // Remembered only once the background rewrite that tags the file has replaced it, so the
    // bookmark is of the file as it stays, not stale.
    const std::optional<BookmarkData::Resolution> resolution
        = BookmarkData::resolve(remembered->bookmarkData());
    ASSERT_TRUE(resolution);
    EXPECT_FALSE(resolution->isStale);
    EXPECT_EQ(resolution->url, QUrl::fromLocalFile(file));

    // "Clear" in the menu removes the setting; the intent reads it afresh on every call.
    const auto answers
        = [] { return call(QStringLiteral("GetPreviousRecording")).type() == QDBusMessage::ReplyMessage; };
    SettingsKeys::previousRecording().reset();
    EXPECT_TRUE(waitFor([&] { return !answers(); })) << "a cleared previous recording is still answered";
    Defaults::set(SettingsKeys::previousRecording(), remembered);
    ASSERT_TRUE(waitFor(answers));

    const TestSupport::CommandResult trashed
        = TestSupport::runCommand(QStringLiteral("gio"), { "trash", file });
    ASSERT_TRUE(trashed.succeeded()) << trashed.describe().toStdString();
    previous = call(QStringLiteral("GetPreviousRecording"));
    EXPECT_EQ(previous.errorName(), QStringLiteral("com.larkvelden.Tapewick.Error.NoPreviousRecording"));
    EXPECT_EQ(previous.errorMessage(), QStringLiteral("No previous recording"));
}

TEST_F(IntentsOnTheBusTest, ManyClientsAtOnceLeaveTheProgramAnsweringWithTheRightState)
{
    constexpr int clients = 4;
    constexpr int callsEach = 50;
    std::atomic<int> answered = 0;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back(QThread::create([i, &answered] {
            const QString name = QStringLiteral("intents-client-%1").arg(i);
            {
                const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
                for (int n = 0; n < callsEach; ++n) {
                    const QDBusMessage reply = n % 2 == 0
                        ? call(QStringLiteral("SetRecordingState"), { QStringLiteral("recording") }, bus)
                        : call(QStringLiteral("GetActiveRecordingDuration"), {}, bus);
                    answered += reply.type() == QDBusMessage::ReplyMessage ? 1 : 0;
                }
            }
            QDBusConnection::disconnectFromBus(name);
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads) {
        thread->wait();
    }
    // Every call was answered within the bus's time-out, and one recording runs.
    EXPECT_EQ(answered, clients * callsEach);
    ASSERT_TRUE(waitFor([&] { return recordingsStarted() > 0 && duration() > 0; })) << log().toStdString();
    TestSupport::processEventsFor(std::chrono::milliseconds(500));
    EXPECT_EQ(state(), QStringLiteral("recording"));
    EXPECT_EQ(recordingsStarted(), 1);
}

// A terminate signal just after a stop, while the file is still being completed, copied or
// rewritten, ends the program only once the recording is saved whole; a hidden file that an
// interrupted save left in the output folder is gone after the next launch.
TEST_F(IntentsOnTheBusTest, ASignalJustAfterAStopStillSavesTheRecordingWhole)
{
    const QString leftover
        = QDir(m_output.path()).filePath(u".Take.m4a.0123456789abcdef0123456789abcdef.part"_s);
    for (const int delay : { 0, 10, 25, 40 }) {
        SCOPED_TRACE(delay);
        for (const QString &name : everything()) {
            QFile::remove(QDir(m_output.path()).filePath(name));
        }
        QFile file(leftover);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        m_program.emplace();
        ASSERT_TRUE(waitFor([] { return !state().isEmpty(); })) << log().toStdString();
        const QString temporary = record();
        TestSupport::processEventsFor(std::chrono::milliseconds(1500));
        setState(QStringLiteral("stopped"));
        QThread::msleep(static_cast<unsigned long>(delay));
        m_program->signal(SIGTERM);
        EXPECT_EQ(m_program->waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << log().toStdString();
        ASSERT_EQ(everything().join(u'|').toStdString(), QFileInfo(temporary).fileName().toStdString())
            << log().toStdString();
        const MediaFacts facts = probeMedia(QDir(m_output.path()).filePath(everything().first()));
        ASSERT_TRUE(facts.decoded) << facts.error.toStdString();
        EXPECT_GT(facts.seconds, 1.0);
        QDir(QFileInfo(temporary).path()).removeRecursively();
    }
}

// A start asked for while an ending waits for a slow save starts nothing, and the caller hears
// why: a recording begun then would run on unfinished when the program ends.
TEST_F(IntentsOnTheBusTest, AStartWhileAnEndingWaitsForASaveStartsNothingAndSaysSo)
{
    m_program.emplace(QStringLiteral(SLOW_SAVE_PRELOAD_PATH));
    ASSERT_TRUE(waitFor([] { return !state().isEmpty(); })) << log().toStdString();
    const QString temporary = record();
    TestSupport::processEventsFor(std::chrono::milliseconds(1500));
    m_program->signal(SIGTERM);
    ASSERT_TRUE(m_program->waitForLog(QStringLiteral("Ending on signal")));
    const QDBusMessage reply = call(QStringLiteral("SetRecordingState"), { QStringLiteral("recording") });
    EXPECT_EQ(reply.errorName().toStdString(), "com.larkvelden.Tapewick.Error.Quitting");
    EXPECT_EQ(reply.errorMessage().toStdString(), "Tapewick is quitting and starts no recording");
    EXPECT_EQ(m_program->waitForExit(), ProgramEnd::exitedWith(SIGTERM)) << log().toStdString();
    EXPECT_EQ(recordingsStarted(), 1) << log().toStdString();
    EXPECT_EQ(saved().join(u'|').toStdString(), QFileInfo(temporary).fileName().toStdString())
        << log().toStdString();
    QDir(QFileInfo(temporary).path()).removeRecursively();
}

// A pause asked for one recording does not land on the next one: a stop or a start while the
// pause's sound plays cancels it.
TEST_F(IntentsOnTheBusTest, APauseDoesNotLandOnTheNextRecording)
{
    const QStringList sequences[] = {
        { "paused", "stopped", "recording" },
        { "paused", "recording" },
    };
    for (const QStringList &sequence : sequences) {
        SCOPED_TRACE(sequence.join(u' ').toStdString());
        record();
        ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("recording"); }));
        for (const QString &name : sequence) {
            setState(name);
        }
        // A new recording starts only once its sound has ended, which an idle null sink holds up
        // to the player's limit; a pause still pending would land within that limit too.
        ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("recording"); })) << log().toStdString();
        TestSupport::processEventsFor(std::chrono::milliseconds(2000));
        EXPECT_EQ(state().toStdString(), "recording") << log().toStdString();
        setState(QStringLiteral("stopped"));
        ASSERT_TRUE(waitFor([] { return state() == QStringLiteral("stopped"); }));
    }
}

// Stopped before any audio came in, a recording is neither saved nor remembered, and its folder
// is gone; one that did get audio in, however little, is saved whole. Whether the capture had
// begun when the stop came is the machine's timing.
TEST_F(IntentsOnTheBusTest, ARecordingStoppedAtOnceIsDroppedUnlessItHoldsAudio)
{
    for (int trial = 0; trial < 3; ++trial) {
        SCOPED_TRACE(trial);
        const qsizetype droppedBefore = log().count(QStringLiteral("holds no audio"));
        const QStringList savedBefore = saved();
        const QList<QVariant> previousBefore = call(QStringLiteral("GetPreviousRecording")).arguments();
        const QString temporary = record();
        setState(QStringLiteral("stopped"));
        ASSERT_TRUE(waitFor([&] {
            return log().count(QStringLiteral("holds no audio")) > droppedBefore
                || saved().size() > savedBefore.size();
        })) << log().toStdString();
        TestSupport::processEventsFor(std::chrono::milliseconds(300));
        if (saved().size() > savedBefore.size()) {
            const MediaFacts facts
                = probeMedia(QDir(m_output.path()).filePath(QFileInfo(temporary).fileName()));
            EXPECT_TRUE(facts.decoded && facts.seconds > 0) << facts.error.toStdString();
            continue;
        }
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(temporary).path()));
        EXPECT_EQ(call(QStringLiteral("GetPreviousRecording")).arguments(), previousBefore);
    }
}

} // namespace
