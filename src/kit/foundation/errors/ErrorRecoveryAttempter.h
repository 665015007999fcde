#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <functional>
#include <memory>

class Error;

// Runs the recovery option a user picked in an error alert.
class ErrorRecoveryAttempter
{
public:
    struct Option
    {
        QString title;
        // True when the recovery succeeded.
        std::function<bool()> action;
    };

    // Receives the outcome and the caller's context pointer.
    using DidRecover = std::function<void(bool recovered, void *contextInfo)>;

    ErrorRecoveryAttempter() = delete;
    explicit ErrorRecoveryAttempter(QList<Option> recoveryOptions);

    const QList<Option> &recoveryOptions() const { return m_recoveryOptions; }

    // Runs the option at `optionIndex` on the calling thread; an index out of range
    // recovers nothing.
    bool attemptRecovery(const Error &error, qsizetype optionIndex) const;
    // The same, then tells `didRecover` (when given) the outcome, also for an index out of range.
    void attemptRecovery(
        const Error &error, qsizetype optionIndex, const DidRecover &didRecover, void *contextInfo) const;

private:
    QList<Option> m_recoveryOptions;
};

using ErrorRecoveryAttempterPtr = std::shared_ptr<const ErrorRecoveryAttempter>;
Q_DECLARE_METATYPE(ErrorRecoveryAttempterPtr)
