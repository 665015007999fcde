#pragma once

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/services/KwAppErrorReporting.h"

#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

// Catches the errors reported and shown while it lives, in place of the crash reporting and alerts.
class CaughtErrors
{
public:
    struct Report
    {
        ErrorPtr error;
        QVariantMap userInfo;
    };

    // The hooks hold the lists, not this object, so a late report from another thread finds them.
    CaughtErrors()
    {
        FoundationHooks::setReportError(
            [reports = reports](const Error &error, const QVariantMap &userInfo, const QString &, int) {
                reports->push_back({ error.clone(), userInfo });
            });
        // Reports made to the application's services directly.
        KwApp::setErrorReportFilter([reports = reports](const Error &error) {
            reports->push_back({ error.clone(), {} });
            return false;
        });
        FoundationHooks::setPresentError(
            [presented = presented](const ErrorPtr &error, QWidget *, std::function<void()> dismissed) {
                presented->push_back(error);
                if (dismissed) {
                    dismissed();
                }
            });
    }
    ~CaughtErrors()
    {
        FoundationHooks::setReportError({});
        KwApp::setErrorReportFilter({});
        FoundationHooks::setPresentError({});
    }
    CaughtErrors(const CaughtErrors &) = delete;
    CaughtErrors &operator=(const CaughtErrors &) = delete;

    QStringList reportedTexts() const { return texts(*reports, &Report::error); }
    QStringList presentedTexts() const { return texts(*presented, std::identity()); }

    std::shared_ptr<std::vector<Report>> reports = std::make_shared<std::vector<Report>>();
    std::shared_ptr<std::vector<ErrorPtr>> presented = std::make_shared<std::vector<ErrorPtr>>();

private:
    static QStringList texts(const auto &items, auto errorOf)
    {
        QStringList texts;
        for (const auto &item : items) {
            texts << std::invoke(errorOf, item)->localizedDescription();
        }
        return texts;
    }
};
