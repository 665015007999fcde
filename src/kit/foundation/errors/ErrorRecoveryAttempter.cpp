#include "kit/foundation/errors/ErrorRecoveryAttempter.h"

ErrorRecoveryAttempter::ErrorRecoveryAttempter(QList<Option> recoveryOptions)
    : m_recoveryOptions(std::move(recoveryOptions))
{ }

bool ErrorRecoveryAttempter::attemptRecovery(const Error &, qsizetype optionIndex) const
{
    if (optionIndex < 0 || optionIndex >= m_recoveryOptions.size()) {
        return false;
    }
    const auto &action = m_recoveryOptions.at(optionIndex).action;
    return action ? action() : false;
}

void ErrorRecoveryAttempter::attemptRecovery(
    const Error &error, qsizetype optionIndex, const DidRecover &didRecover, void *contextInfo) const
{
    const bool recovered = attemptRecovery(error, optionIndex);
    if (didRecover) {
        didRecover(recovered, contextInfo);
    }
}
