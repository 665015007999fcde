#include "LoopbackServer.h"

#include "platform/crashreport/CrashMarker.h"
#include "platform/crashreport/CrashReportClient.h"
#include "platform/crashreport/CrashReportDsn.h"
#include "platform/crashreport/CrashReportOutbox.h"

#include "EventLoop.h"
#include "FileContents.h"
#include "LonelyFifo.h"
#include "ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

using namespace std::chrono_literals;

namespace {

struct ParsedItem
{
    QJsonObject header;
    QJsonObject payload;
};

struct ParsedEnvelope
{
    QJsonObject header;
    QList<ParsedItem> items;
};

// Reads an envelope: a header line, then each item's header line and payload, the payload as
// long in bytes as its header says.
ParsedEnvelope parseEnvelope(const QByteArray &bytes)
{
    EXPECT_TRUE(bytes.endsWith('\n'));
    const QList<QByteArray> lines = bytes.split('\n');
    ParsedEnvelope envelope { QJsonDocument::fromJson(lines.value(0)).object(), {} };
    for (qsizetype index = 1; index + 1 < lines.size(); index += 2) {
        const QJsonObject header = QJsonDocument::fromJson(lines[index]).object();
        EXPECT_EQ(header.value(QStringLiteral("length")).toInteger(-1), lines[index + 1].size());
        envelope.items.append({ header, QJsonDocument::fromJson(lines[index + 1]).object() });
    }
    return envelope;
}

QString dsnFor(const LoopbackServer &server)
{
    return QStringLiteral("http://publickey@127.0.0.1:%1/42").arg(server.port());
}

// Runs the crash child and answers the signal that ended it (0 when it exited).
int runCrashChild(const QString &database, const char *how)
{
    const QByteArray databaseBytes = QFile::encodeName(database);
    char *const argv[] = { const_cast<char *>(CRASH_CHILD_PATH),
        const_cast<char *>(databaseBytes.constData()), const_cast<char *>(how), nullptr };
    // The crashes are meant; no core files from them.
    const rlimit noCore { 0, 0 };
    setrlimit(RLIMIT_CORE, &noCore);
    pid_t pid = 0;
    if (posix_spawn(&pid, CRASH_CHILD_PATH, nullptr, nullptr, argv, environ) != 0) {
        return -1;
    }
    // A child that never gets to its end is one that waits for something: -2, not a hanging test.
    int status = 0;
    for (int tick = 0; waitpid(pid, &status, WNOHANG) == 0; ++tick) {
        if (tick == 1000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -2;
        }
        std::this_thread::sleep_for(10ms);
    }
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

CrashReportOptions optionsIn(const QTemporaryDir &dir, const QString &dsn = {})
{
    CrashReportOptions options;
    options.databasePath = dir.path();
    options.dsn = dsn;
    options.release = QStringLiteral("Tapewick@1.2.3");
    return options;
}

} // namespace

TEST(CrashReportDsn, ParsesTheIngestEndpointAndKeyAndRefusesWhatIsNotAnIngestAddress)
{
    const auto dsn = CrashReportDsn::parse(QStringLiteral("https://abc123@reports.example.org:8443/sub/77"));
    ASSERT_TRUE(dsn);
    EXPECT_EQ(dsn->publicKey(), QStringLiteral("abc123"));
    EXPECT_EQ(dsn->projectId(), QStringLiteral("77"));
    EXPECT_EQ(dsn->envelopeEndpoint(),
        QUrl(QStringLiteral("https://reports.example.org:8443/sub/api/77/envelope/")));
    const QByteArray auth = dsn->authHeader(QStringLiteral("client/1"));
    EXPECT_TRUE(auth.startsWith("Sentry sentry_version=7"));
    EXPECT_TRUE(auth.contains("sentry_key=abc123"));
    for (const char *refused : { "", "https://reports.example.org/77", "https://key@reports.example.org",
             "ftp://key@reports.example.org/1", "not a url" }) {
        EXPECT_FALSE(CrashReportDsn::parse(QString::fromLatin1(refused))) << refused;
    }
}

TEST(CrashReportOutbox, KeepsTheNewestUpToItsCapacity)
{
    QTemporaryDir dir;
    CrashReportOutbox outbox(dir.filePath(QStringLiteral("outbox")), 3);
    for (int i = 0; i < 5; ++i) {
        ASSERT_FALSE(outbox.add(QByteArray::number(i)).isEmpty());
    }
    QStringList contents;
    for (const QString &file : outbox.pending()) {
        contents.append(QString::fromLatin1(TestSupport::readFile(file)));
    }
    EXPECT_EQ(contents, (QStringList { QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4") }));
    EXPECT_EQ(
        QFile::permissions(outbox.directory()) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
}

// Two outboxes of one folder in one process (a client stored reports, a later one sends them)
// name their reports apart, however quickly they write.
TEST(CrashReportOutbox, TwoOfOneFolderOverwriteNoReportOfTheOther)
{
    QTemporaryDir dir;
    CrashReportOutbox first(dir.filePath(QStringLiteral("outbox")), 1000);
    CrashReportOutbox second(first.directory(), 1000);
    QSet<QString> names;
    for (int i = 0; i < 100; ++i) {
        names << (i % 2 ? second : first).add(QByteArray::number(i));
    }
    EXPECT_EQ(names.size(), 100);
    EXPECT_EQ(first.pending().size(), 100);
}

TEST(CrashReportClient, SendsACapturedErrorAndUserFeedbackToTheIngestEndpoint)
{
    LoopbackServer server;
    QTemporaryDir dir;
    CrashReportClient client(optionsIn(dir, dsnFor(server)));
    client.start();
    const QString eventId = client.captureError(
        { QStringLiteral("Tapewick.GeneralError"), 123, QStringLiteral("Could not save ä\nb."),
            { { QStringLiteral("file"), QStringLiteral("Recorder.cpp") }, { QStringLiteral("line"), 42 } } });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return client.outbox().pending().isEmpty(); }));
    client.captureUserFeedback(
        { eventId, QStringLiteral("Ann"), QStringLiteral("ann@example.org"), QStringLiteral("It stopped.") });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return server.requests().size() == 2; }));

    const LoopbackServer::Request &request = server.requests().first();
    EXPECT_EQ(request.method, QByteArray("POST"));
    EXPECT_EQ(request.path, QByteArray("/api/42/envelope/"));
    EXPECT_EQ(request.headers.value("content-type"), QByteArray("application/x-sentry-envelope"));
    EXPECT_TRUE(request.headers.value("x-sentry-auth").contains("sentry_key=publickey"));

    const ParsedEnvelope envelope = parseEnvelope(request.body);
    EXPECT_EQ(envelope.header["event_id"].toString(), eventId);
    ASSERT_EQ(envelope.items.size(), 1);
    EXPECT_EQ(envelope.items[0].header["type"].toString(), "event");
    const QJsonObject event = envelope.items[0].payload;
    EXPECT_EQ(event["event_id"].toString(), eventId);
    EXPECT_EQ(event["level"].toString(), "error");
    EXPECT_EQ(event["release"].toString(), "Tapewick@1.2.3");
    const QJsonValue exception = event["exception"]["values"][0];
    EXPECT_EQ(exception["type"].toString(), "Tapewick.GeneralError");
    EXPECT_EQ(exception["value"].toString(), "Code: 123. Could not save ä\nb.");
    EXPECT_EQ(event["extra"]["file"].toString(), "Recorder.cpp");
    EXPECT_EQ(event["extra"]["line"].toInt(), 42);

    const ParsedEnvelope feedback = parseEnvelope(server.requests().at(1).body);
    ASSERT_EQ(feedback.items.size(), 1);
    EXPECT_EQ(feedback.items[0].header["type"].toString(), "user_report");
    EXPECT_EQ(feedback.items[0].payload["event_id"].toString(), eventId);
    EXPECT_EQ(feedback.items[0].payload["comments"].toString(), QStringLiteral("It stopped."));
}

// Without a DSN nothing leaves and the next start sends; what the service cannot take now or
// cannot be reached is kept, and what it refuses is dropped.
TEST(CrashReportClient, KeepsWhatCannotBeSentNowAndDropsWhatTheServiceRefuses)
{
    std::optional<LoopbackServer> server(std::in_place);
    QTemporaryDir dir;
    {
        CrashReportClient offline(optionsIn(dir));
        offline.start();
        EXPECT_FALSE(offline.isEnabled());
        offline.captureError({ QStringLiteral("Domain"), 7, QStringLiteral("Offline"), {} });
        TestSupport::processEventsFor(200ms);
        EXPECT_EQ(offline.outbox().pending().size(), 1);
    }
    EXPECT_EQ(server->connectionCount(), 0);

    CrashReportClient client(optionsIn(dir, dsnFor(*server)));
    client.start();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return client.outbox().pending().isEmpty(); }));
    ASSERT_EQ(server->requests().size(), 1);
    EXPECT_TRUE(server->requests().first().body.contains("Offline"));

    server->setStatus(503);
    client.captureError({ QStringLiteral("Domain"), 1, QStringLiteral("Busy"), {} });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return server->requests().size() == 2; }));
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(client.outbox().pending().size(), 1);

    server->setStatus(400);
    client.flush();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return client.outbox().pending().isEmpty(); }));
    EXPECT_EQ(server->requests().size(), 3);

    server.reset();
    bool failed = false;
    QObject::connect(&client, &CrashReportClient::envelopeFailed, [&] { failed = true; });
    client.captureError({ QStringLiteral("Domain"), 1, QStringLiteral("No network"), {} });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return failed; }));
    EXPECT_EQ(client.outbox().pending().size(), 1);
}

TEST(CrashMarker, AChildKilledBySegfaultIsReportedAtTheNextStart)
{
    QTemporaryDir dir;
    ASSERT_EQ(runCrashChild(dir.path(), "segv"), SIGSEGV);

    LoopbackServer server;
    std::optional<CrashReportEvent> reported;
    CrashReportOptions options = optionsIn(dir, dsnFor(server));
    options.onCrashedLastRun = [&](const CrashReportEvent &event) { reported = event; };
    CrashReportClient client(options);
    client.start();
    EXPECT_TRUE(client.crashedLastRun());
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return reported && server.requests().size() == 1; }));
    EXPECT_EQ(reported->signalNumber, SIGSEGV);
    EXPECT_EQ(reported->level, CrashReportEvent::Level::Fatal);
    EXPECT_LE(qAbs(reported->timestamp.secsTo(QDateTime::currentDateTime())), 60);

    const ParsedEnvelope envelope = parseEnvelope(server.requests().first().body);
    ASSERT_EQ(envelope.items.size(), 1);
    EXPECT_EQ(envelope.items[0].payload["level"].toString(), "fatal");
    EXPECT_EQ(envelope.items[0].payload["event_id"].toString(), reported->eventId);

    // Reported once: the run after that one did not crash.
    CrashReportClient again(optionsIn(dir));
    again.start();
    EXPECT_FALSE(again.crashedLastRun());
}

TEST(CrashMarker, OnlyAFaultOfItsOwnLeavesAMarker)
{
    const std::tuple<const char *, int, bool> cases[] = {
        { "abort", SIGABRT, true },
        { "fpe", SIGFPE, true },
        { "exit", 0, false },
        { "abort-from-outside", SIGABRT, false },
    };
    for (const auto &[how, signal, marked] : cases) {
        SCOPED_TRACE(how);
        QTemporaryDir dir;
        ASSERT_EQ(runCrashChild(dir.path(), how), signal);
        const auto record = CrashMarker::take(dir.filePath(QStringLiteral("crashed")));
        ASSERT_EQ(record.has_value(), marked);
        if (marked) {
            EXPECT_EQ(record->signalNumber, signal);
            EXPECT_FALSE(CrashMarker::take(dir.filePath(QStringLiteral("crashed"))));
        }
    }
}

// What else may stand in the cache folder holds up no start and no end: a FIFO at the marker's path
// is taken for a crash without details, and a stored report that is a link to one is dropped unread.
TEST(CrashReportClient, AFifoInItsFolderHoldsUpNoStartAndNoEnd)
{
    QTemporaryDir dir;
    const TestSupport::LonelyFifo marker(dir.filePath(QStringLiteral("crashed")));
    ASSERT_TRUE(marker.made());
    ASSERT_EQ(runCrashChild(dir.path(), "segv"), SIGSEGV) << "the child got to its crash";
    ASSERT_EQ(runCrashChild(dir.path(), "fifo-then-segv"), SIGSEGV)
        << "its note of the crash waits for no one";

    const TestSupport::LonelyFifo stored(dir.filePath(QStringLiteral("fifo")));
    ASSERT_TRUE(stored.made() && QDir().mkpath(dir.filePath(QStringLiteral("outbox"))));
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("fifo")), dir.filePath(QStringLiteral("outbox/0.envelope"))));
    LoopbackServer server;
    CrashReportClient client(optionsIn(dir, dsnFor(server)));
    // Each start reports the crash before it, two of them without details.
    bool sent = false;
    EXPECT_TRUE(stored.readsWithoutWaiting([&] {
        client.start();
        sent = TestSupport::processEventsUntil(
            [&] { return client.outbox().pending().isEmpty() && server.requests().size() == 3; });
    }));
    EXPECT_TRUE(sent);
    EXPECT_TRUE(client.crashedLastRun());
}

// Also in a report stored before it was sent; a stored file that is no envelope is dropped.
TEST(CrashReportClient, SendsNoHomeFolderInAnyPartOfAReport)
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("Ann O'Example"));
    ASSERT_TRUE(QDir().mkpath(home));
    TestSupport::ScopedEnv homeVariable("HOME", home);
    const QString take = home + QStringLiteral("/Music/take 1.m4a");
    const QString message = QStringLiteral("Could not save “%1”.").arg(take);
    {
        CrashReportClient offline(optionsIn(dir));
        offline.captureError({ QStringLiteral("Stored"), 1, message, {} });
        offline.outbox().add("no envelope\n");
    }

    LoopbackServer server;
    CrashReportClient client(optionsIn(dir, dsnFor(server)));
    client.start();
    const QString eventId = client.captureError({ home, 5, message,
        {
            { QStringLiteral("NSURL"), QUrl::fromLocalFile(take) },
            { home + QStringLiteral("/key"), QStringLiteral("value") },
            { QStringLiteral("nested"), QVariantList { QVariantMap { { QStringLiteral("p"), take } } } },
        } });
    client.captureUserFeedback({ eventId, QStringLiteral("Ann"), QString(), take });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return server.requests().size() == 3; }));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return client.outbox().pending().isEmpty(); }))
        << "the file that is no envelope is dropped";
    TestSupport::processEventsFor(100ms);
    ASSERT_EQ(server.requests().size(), 3);

    QList<QJsonObject> payloads;
    for (const LoopbackServer::Request &request : server.requests()) {
        for (const QByteArray &form : { QFile::encodeName(home), QUrl::toPercentEncoding(home, "/"),
                 QUrl::fromLocalFile(home).toEncoded() }) {
            EXPECT_FALSE(request.body.contains(form)) << request.body.toStdString();
        }
        const ParsedEnvelope envelope = parseEnvelope(request.body);
        ASSERT_EQ(envelope.items.size(), 1);
        payloads.append(envelope.items[0].payload);
    }
    // The three go out side by side and arrive in any order: the stored report, the new one and
    // the user's words.
    const auto rank = [](const QJsonObject &payload) {
        return payload.contains(QStringLiteral("comments"))
            ? 2
            : int(!payload["exception"]["values"][0]["value"].toString().startsWith(
                QStringLiteral("Code: 1.")));
    };
    std::ranges::sort(payloads, {}, rank);
    const QString redacted = QStringLiteral("~/Music/take 1.m4a");
    const QJsonObject stored = payloads[0];
    EXPECT_EQ(
        stored["exception"]["values"][0]["value"].toString(), "Code: 1. Could not save “" + redacted + "”.");
    const QJsonObject event = payloads[1];
    EXPECT_EQ(event["extra"]["NSURL"].toString(), QStringLiteral("file://~/Music/take%201.m4a"));
    EXPECT_EQ(event["extra"]["~/key"].toString(), QStringLiteral("value"));
    EXPECT_EQ(event["extra"]["nested"][0]["p"].toString(), redacted);
    EXPECT_EQ(payloads[2]["comments"].toString(), redacted);
}
