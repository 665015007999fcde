#include "kit/services/ErrorAlert.h"
#include "kit/services/AlertBuilder.h"

#include "EventLoop.h"

#include "kit/foundation/errors/GeneralError.h"

#include <QAbstractButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class ReasonedError : public GeneralError
{
public:
    ReasonedError(const QString &description, const QString &reason, const QString &suggestion)
        : GeneralError(description, suggestion)
        , m_reason(reason)
    { }
    std::optional<QString> failureReason() const override { return m_reason; }

private:
    QString m_reason;
};

} // namespace

TEST(PresentableMessage, JoinsDescriptionReasonAndSuggestion)
{
    EXPECT_EQ(presentableMessage(ReasonedError(QStringLiteral("Cannot save."), QStringLiteral("Disk full."),
                  QStringLiteral("Free some space."))),
        QStringLiteral("Cannot save.\n\nDisk full.\n\nFree some space."));
    // A reason that the description already says is not repeated.
    EXPECT_EQ(presentableMessage(ReasonedError(QStringLiteral("Cannot save: Disk full."),
                  QStringLiteral("Disk full."), QStringLiteral("Free some space."))),
        QStringLiteral("Cannot save: Disk full.\n\nFree some space."));
    EXPECT_EQ(presentableMessage(GeneralError(QStringLiteral("Plain."))), QStringLiteral("Plain."));
}

TEST(ErrorAlert, ShowsWhileSetAndClearsWhenDismissed)
{
    QWidget view;
    ErrorAlert binding(&view);
    int recovered = -1;
    const QList<ErrorRecoveryAttempter::Option> options {
        { QStringLiteral("Retry"),
            [&] {
                recovered = 0;
                return true;
            } },
        { QStringLiteral("Give Up"),
            [&] {
                recovered = 1;
                return true;
            } },
    };
    binding.setError(std::make_shared<GeneralError>(QStringLiteral("Failed."), QStringLiteral("Try again."),
        QVariantMap {}, std::nullopt, QList<ErrorPtr> {}, options));
    ASSERT_TRUE(binding.alert());
    EXPECT_EQ(binding.alert()->text(), QStringLiteral("Failed."));
    EXPECT_EQ(binding.alert()->informativeText(), QStringLiteral("Failed.\n\nTry again."));
    const QList<QAbstractButton *> buttons = alertButtons(binding.alert());
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[1]->text(), QStringLiteral("Give Up"));

    buttons[1]->click();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return binding.error() == nullptr; }));
    EXPECT_EQ(recovered, 1);
}
