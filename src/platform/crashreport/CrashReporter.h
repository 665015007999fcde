#pragma once

#include "platform/crashreport/CrashReportClient.h"

#include <functional>

// The process-wide crash-reporting client.
namespace CrashReporter {

// Creates and starts the client once, with the options the block sets (their DSN defaults to
// CrashReportDsn::configured()). Later calls do nothing. GUI thread.
void start(const std::function<void(CrashReportOptions &)> &configureOptions);

// None before start().
CrashReportClient *client();

// Whether the previous run crashed; false before start().
bool crashedLastRun();

// The event's id, or an empty text before start() (the report is then dropped).
QString captureError(const CrashReportError &error);

} // namespace CrashReporter
