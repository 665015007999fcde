#include "platform/crashreport/CrashReporter.h"

#include <atomic>

namespace {
// Written once on the GUI thread, read from any thread.
std::atomic<CrashReportClient *> g_client { nullptr };
} // namespace

void CrashReporter::start(const std::function<void(CrashReportOptions &)> &configureOptions)
{
    if (g_client.load()) {
        return;
    }
    CrashReportOptions options;
    options.dsn = CrashReportDsn::configured();
    if (configureOptions) {
        configureOptions(options);
    }
    // Never deleted: reports made late in the process, from any thread, still find it.
    auto *client = new CrashReportClient(std::move(options));
    client->start();
    g_client.store(client);
}

CrashReportClient *CrashReporter::client()
{
    return g_client.load();
}

bool CrashReporter::crashedLastRun()
{
    const CrashReportClient *client = g_client.load();
    return client && client->crashedLastRun();
}

QString CrashReporter::captureError(const CrashReportError &error)
{
    CrashReportClient *client = g_client.load();
    return client ? client->captureError(error) : QString();
}
