#include "kit/foundation/errors/ErrorDialog.h"

#include "platform/events/MainThread.h"

#include "kit/collections/IndexedCollection.h"
#include "kit/foundation/errors/AlertIcon.h"
#include "kit/foundation/errors/AlertTextWidth.h"
#include "kit/foundation/errors/ErrorRecoveryAttempter.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/NSError.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

QMessageBox *ErrorDialog::create(const ErrorPtr &error, QWidget *window)
{
    ASSERT_MAIN_THREAD();
    const NSError bridged = error->bridged();
    auto *box = new QMessageBox(window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // An error is a caution, not a notice: the program's icon with the caution badge.
    box->setIconPixmap(AlertIcon::forKind(QMessageBox::Critical));
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box->setText(bridged.localizedDescription());
    if (const auto suggestion = bridged.recoverySuggestion()) {
        box->setInformativeText(*suggestion);
    }
    AlertTextWidth::fitMessage(*box);

    const QVariantMap info = bridged.userInfo();
    const QStringList titles = info.value(NSLocalizedRecoveryOptionsErrorKey).toStringList();
    const auto attempter = info.value(NSRecoveryAttempterErrorKey).value<ErrorRecoveryAttempterPtr>();
    if (titles.isEmpty()) {
        box->setDefaultButton(box->addButton(QMessageBox::Ok));
        return box;
    }
    for (const auto &[index, title] : IndexedCollection(titles)) {
        QPushButton *button = box->addButton(title, QMessageBox::AcceptRole);
        if (index == 0) {
            box->setDefaultButton(button);
        }
        QObject::connect(button, &QAbstractButton::clicked, box, [error, attempter, index] {
            if (attempter) {
                attempter->attemptRecovery(*error, static_cast<qsizetype>(index));
            }
        });
    }
    return box;
}

void ErrorDialog::show(const ErrorPtr &error, QWidget *window, std::function<void()> dismissed)
{
    ASSERT_MAIN_THREAD();
    QMessageBox *box = create(error, window);
    if (dismissed) {
        // Destruction covers both the user closing it and its window going away.
        QObject::connect(box, &QObject::destroyed, [dismissed = std::move(dismissed)] { dismissed(); });
    }
    // open() would make every alert window-modal.
    if (window) {
        box->open();
    } else {
        box->show();
    }
}
