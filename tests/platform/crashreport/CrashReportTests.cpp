#include "LoopbackServer.h"

#include "platform/crashreport/CrashMarker.h"
#include "platform/crashreport/CrashReportClient.h"
#include "platform/crashreport/CrashReportDsn.h"
#include "platform/crashreport/CrashReportEnvelope.h"
#include "platform/crashreport/CrashReportOutbox.h"

#include "EventLoop.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

using namespace std::chrono_literals;

namespace {

struct ParsedItem
{
    QJsonObject header;
    QJsonObject payload;
    qsizetype declaredLength = -1;
    qsizetype actualLength = -1;
};

struct ParsedEnvelope
{
    QJsonObject header;
    QList<ParsedItem> items;
};

// Reads an envelope the way the service does: by the item headers' lengths.
ParsedEnvelope parseEnvelope(const QByteArray &bytes)
{
    ParsedEnvelope envelope;
    qsizetype position = bytes.indexOf('\n');
    envelope.header = QJsonDocument::fromJson(bytes.left(position)).object();
    ++position;
    while (position < bytes.size()) {
        const qsizetype lineEnd = bytes.indexOf('\n', position);
        ParsedItem item;
        item.header = QJsonDocument::fromJson(bytes.mid(position, lineEnd - position)).object();
        item.declaredLength = item.header.value(QStringLiteral("length")).toInteger(-1);
        position = lineEnd + 1;
        const QByteArray payload = bytes.mid(position, item.declaredLength);
        item.actualLength = payload.size();
        item.payload = QJsonDocument::fromJson(payload).object();
        position += item.declaredLength;
        EXPECT_EQ(bytes.mid(position, 1), QByteArray("\n"));
        ++position;
        envelope.items.append(item);
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
    int status = 0;
    waitpid(pid, &status, 0);
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

TEST(CrashReportDsn, ParsesTheIngestEndpointAndKey)
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
}

TEST(CrashReportDsn, RefusesWhatIsNotAnIngestAddress)
{
    EXPECT_FALSE(CrashReportDsn::parse(QString()));
    EXPECT_FALSE(CrashReportDsn::parse(QStringLiteral("https://reports.example.org/77"))); // no key
    EXPECT_FALSE(CrashReportDsn::parse(QStringLiteral("https://key@reports.example.org"))); // no project
    EXPECT_FALSE(CrashReportDsn::parse(QStringLiteral("ftp://key@reports.example.org/1")));
    EXPECT_FALSE(CrashReportDsn::parse(QStringLiteral("not a url")));
}

TEST(CrashReportEnvelope, ItemLengthsMatchTheirPayloads)
{
    CrashReportEnvelope envelope(QStringLiteral("0123456789abcdef0123456789abcdef"));
    envelope.addItem(
        QStringLiteral("event"), QJsonObject { { QStringLiteral("message"), QStringLiteral("ä\nb") } });
    envelope.addItem(
        QStringLiteral("user_report"), QJsonObject { { QStringLiteral("comments"), QStringLiteral("x") } });
    const ParsedEnvelope parsed = parseEnvelope(envelope.serialized());
    EXPECT_EQ(parsed.header.value(QStringLiteral("event_id")).toString(),
        QStringLiteral("0123456789abcdef0123456789abcdef"));
    ASSERT_EQ(parsed.items.size(), 2);
    EXPECT_EQ(parsed.items[0].declaredLength, parsed.items[0].actualLength);
    EXPECT_EQ(parsed.items[0].payload.value(QStringLiteral("message")).toString(), QStringLiteral("ä\nb"));
    EXPECT_EQ(parsed.items[1].header.value(QStringLiteral("type")).toString(), QStringLiteral("user_report"));
}

TEST(CrashReportOutbox, KeepsTheNewestUpToItsCapacity)
{
    QTemporaryDir dir;
    CrashReportOutbox outbox(dir.filePath(QStringLiteral("outbox")), 3);
    for (int i = 0; i < 5; ++i) {
        ASSERT_FALSE(outbox.add(QByteArray::number(i)).isEmpty());
    }
    const QStringList pending = outbox.pending();
    ASSERT_EQ(pending.size(), 3);
    QStringList contents;
    for (const QString &file : pending) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        contents.append(QString::fromLatin1(f.readAll()));
    }
    EXPECT_EQ(contents, (QStringList { QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4") }));
    EXPECT_EQ(
        QFile::permissions(outbox.directory()) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
}

TEST(CrashReportClient, SendsACapturedErrorToTheIngestEndpoint)
{
    LoopbackServer server;
    QTemporaryDir dir;
    CrashReportClient client(optionsIn(dir, dsnFor(server)));
    client.start();
    const QString eventId = client.captureError(
        { QStringLiteral("Tapewick.GeneralError"), 123, QStringLiteral("Could not save."),
            { { QStringLiteral("file"), QStringLiteral("Recorder.cpp") }, { QStringLiteral("line"), 42 } } });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return client.outbox().pending().isEmpty(); }));

    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackServer::Request &request = server.requests().first();
    EXPECT_EQ(request.method, QByteArray("POST"));
    EXPECT_EQ(request.path, QByteArray("/api/42/envelope/"));
    EXPECT_EQ(request.headers.value("content-type"), QByteArray("application/x-sentry-envelope"));
    EXPECT_TRUE(request.headers.value("x-sentry-auth").contains("sentry_key=publickey"));

    const ParsedEnvelope envelope = parseEnvelope(request.body);
    EXPECT_EQ(envelope.header.value(QStringLiteral("event_id")).toString(), eventId);
    ASSERT_EQ(envelope.items.size(), 1);
    EXPECT_EQ(envelope.items[0].header.value(QStringLiteral("type")).toString(), QStringLiteral("event"));
    EXPECT_EQ(envelope.items[0].declaredLength, envelope.items[0].actualLength);
    const QJsonObject event = envelope.items[0].payload;
    EXPECT_EQ(event.value(QStringLiteral("event_id")).toString(), eventId);
    EXPECT_EQ(event.value(QStringLiteral("level")).toString(), QStringLiteral("error"));
    EXPECT_EQ(event.value(QStringLiteral("release")).toString(), QStringLiteral("Tapewick@1.2.3"));
    const QJsonObject exception = event.value(QStringLiteral("exception"))
                                      .toObject()
                                      .value(QStringLiteral("values"))
                                      .toArray()
                                      .at(0)
                                      .toObject();
    EXPECT_EQ(exception.value(QStringLiteral("type")).toString(), QStringLiteral("Tapewick.GeneralError"));
    EXPECT_TRUE(exception.value(QStringLiteral("value")).toString().contains(QStringLiteral("123")));
    const QJsonObject extra = event.value(QStringLiteral("extra")).toObject();
    EXPECT_EQ(extra.value(QStringLiteral("file")).toString(), QStringLiteral("Recorder.cpp"));
    EXPECT_EQ(extra.value(QStringLiteral("line")).toInt(), 42);
}

TEST(CrashReportClient, SendsUserFeedbackForAnEvent)
{
    LoopbackServer server;
    QTemporaryDir dir;
    CrashReportClient client(optionsIn(dir, dsnFor(server)));
    client.start();
    client.captureUserFeedback({ QStringLiteral("fedcba9876543210fedcba9876543210"), QStringLiteral("Ann"),
        QStringLiteral("ann@example.org"), QStringLiteral("It stopped.") });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return server.requests().size() == 1; }));
    const ParsedEnvelope envelope = parseEnvelope(server.requests().first().body);
    ASSERT_EQ(envelope.items.size(), 1);
    EXPECT_EQ(
        envelope.items[0].header.value(QStringLiteral("type")).toString(), QStringLiteral("user_report"));
    EXPECT_EQ(envelope.items[0].payload.value(QStringLiteral("event_id")).toString(),
        QStringLiteral("fedcba9876543210fedcba9876543210"));
    EXPECT_EQ(envelope.items[0].payload.value(QStringLiteral("comments")).toString(),
        QStringLiteral("It stopped."));
}

TEST(CrashReportClient, WithoutADsnNothingLeavesAndTheNextStartSends)
{
    LoopbackServer server;
    QTemporaryDir dir;
    {
        CrashReportClient offline(optionsIn(dir));
        offline.start();
        EXPECT_FALSE(offline.isEnabled());
        offline.captureError({ QStringLiteral("Domain"), 7, QStringLiteral("Offline"), {} });
        TestSupport::processEventsFor(200ms);
        EXPECT_EQ(offline.outbox().pending().size(), 1);
    }
    EXPECT_EQ(server.connectionCount(), 0);

    CrashReportClient online(optionsIn(dir, dsnFor(server)));
    online.start();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return online.outbox().pending().isEmpty(); }));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests().first().body.contains("Offline"));
}

TEST(CrashReportClient, KeepsWhatTheServiceCannotTakeNowAndDropsWhatItRefuses)
{
    LoopbackServer server;
    QTemporaryDir dir;
    CrashReportClient client(optionsIn(dir, dsnFor(server)));
    client.start();

    server.setStatus(503);
    client.captureError({ QStringLiteral("Domain"), 1, QStringLiteral("Busy"), {} });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return server.requests().size() == 1; }));
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(client.outbox().pending().size(), 1);

    server.setStatus(400);
    client.flush();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return client.outbox().pending().isEmpty(); }));
    EXPECT_EQ(server.requests().size(), 2);
}

TEST(CrashReportClient, AnUnreachableServiceLeavesTheReportWaiting)
{
    quint16 closedPort = 0;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    QTemporaryDir dir;
    CrashReportClient client(optionsIn(dir, QStringLiteral("http://key@127.0.0.1:%1/1").arg(closedPort)));
    client.start();
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
    EXPECT_EQ(envelope.items[0].payload.value(QStringLiteral("level")).toString(), QStringLiteral("fatal"));
    EXPECT_EQ(envelope.items[0].payload.value(QStringLiteral("event_id")).toString(), reported->eventId);

    // Reported once: the run after that one did not crash.
    CrashReportClient again(optionsIn(dir));
    again.start();
    EXPECT_FALSE(again.crashedLastRun());
}

TEST(CrashMarker, AbortAndArithmeticFaultsLeaveAMarkerToo)
{
    for (const auto &[how, expected] : { std::pair { "abort", SIGABRT }, std::pair { "fpe", SIGFPE } }) {
        QTemporaryDir dir;
        ASSERT_EQ(runCrashChild(dir.path(), how), expected) << how;
        const auto record = CrashMarker::take(dir.filePath(QStringLiteral("crashed")));
        ASSERT_TRUE(record) << how;
        EXPECT_EQ(record->signalNumber, expected);
        EXPECT_FALSE(CrashMarker::take(dir.filePath(QStringLiteral("crashed"))));
    }
}

TEST(CrashMarker, ACleanExitOrAnAbortSentByAnotherProcessLeavesNoMarker)
{
    for (const auto &[how, expected] :
        { std::pair { "exit", 0 }, std::pair { "abort-from-outside", SIGABRT } }) {
        QTemporaryDir dir;
        ASSERT_EQ(runCrashChild(dir.path(), how), expected) << how;
        EXPECT_FALSE(CrashMarker::take(dir.filePath(QStringLiteral("crashed")))) << how;
    }
}
