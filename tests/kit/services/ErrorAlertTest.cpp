#include "kit/services/ErrorAlert.h"
#include "kit/services/AlertBuilder.h"

#include "EventLoop.h"

#include "kit/foundation/errors/AlertIcon.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
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

// The description is the alert's title: the message does not say it again.
TEST(PresentableMessage, JoinsReasonAndSuggestion)
{
    EXPECT_EQ(presentableMessage(ReasonedError("Cannot save.", "Disk full.", "Free some space.")),
        "Disk full.\n\nFree some space.");
    // A reason that the description already says is not repeated.
    EXPECT_EQ(presentableMessage(ReasonedError("Cannot save: Disk full.", "Disk full.", "Free some space.")),
        "Free some space.");
    EXPECT_EQ(presentableMessage(GeneralError("Plain.")), "");
}

TEST(ErrorAlert, ShowsWhileSetAndClearsWhenDismissed)
{
    QWidget view;
    ErrorAlert binding(&view);
    int recovered = -1;
    const auto choose = [&recovered](int index) {
        return [&recovered, index] {
            recovered = index;
            return true;
        };
    };
    const QList<ErrorRecoveryAttempter::Option> options { { "Retry", choose(0) }, { "Give Up", choose(1) } };
    binding.setError(std::make_shared<GeneralError>(
        "Failed.", "Try again.", QVariantMap {}, std::nullopt, QList<ErrorPtr> {}, options));
    ASSERT_TRUE(binding.alert());
    EXPECT_EQ(binding.alert()->text(), "Failed.");
    // Badged as a caution, not the program's plain icon of a notice.
    EXPECT_EQ(binding.alert()->iconPixmap().toImage(), AlertIcon::forKind(QMessageBox::Critical).toImage());
    EXPECT_EQ(binding.alert()->informativeText(), "Try again.");
    const QList<QAbstractButton *> buttons = alertButtons(binding.alert());
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[1]->text(), "Give Up");

    buttons[1]->click();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return binding.error() == nullptr; }));
    EXPECT_EQ(recovered, 1);

    // An attempter without titles offers no option: the platform's OK button only closes.
    recovered = -1;
    const QVariantMap attempterOnly { { NSRecoveryAttempterErrorKey,
        QVariant::fromValue(ErrorRecoveryAttempterPtr(std::make_shared<ErrorRecoveryAttempter>(options))) } };
    binding.setError(std::make_shared<GeneralError>("Failed again.", std::nullopt, attempterOnly));
    ASSERT_TRUE(binding.alert());
    const QList<QAbstractButton *> ok = alertButtons(binding.alert());
    ASSERT_EQ(ok.size(), 1);
    ok[0]->click();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return binding.error() == nullptr; }));
    EXPECT_EQ(recovered, -1);
}
