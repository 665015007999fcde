#pragma once

#include "kit/foundation/errors/Error.h"
#include "kit/foundation/errors/ErrorRecoveryAttempter.h"

#include <QUrl>

// The complete user info of an error made by the program: the given entries with the
// texts, recovery options, underlying errors and location stored under their keys.
QVariantMap makeErrorUserInfo(QVariantMap userInfo, const QString &description,
    const std::optional<QString> &recoverySuggestion = {},
    const QList<ErrorRecoveryAttempter::Option> &recoveryOptions = {},
    const std::optional<QString> &helpAnchor = {}, const QList<ErrorPtr> &underlyingErrors = {},
    const std::optional<QUrl> &url = {});
