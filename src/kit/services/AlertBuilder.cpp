#include "kit/services/AlertBuilder.h"

#include "kit/services/ServiceTexts.h"

#include "kit/foundation/errors/AlertIcon.h"
#include "kit/foundation/errors/AlertTextWidth.h"

#include "platform/events/MainThread.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>

#include <algorithm>

namespace {

const char *const indexProperty = "alertButtonIndex";
const char *const destructiveProperty = "hasDestructiveAction";

constexpr int detailTextHeight = 120;

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::Informational:
        return QMessageBox::Information;
    case AlertStyle::Critical:
        return QMessageBox::Critical;
    case AlertStyle::Warning:
        break;
    }
    return QMessageBox::Warning;
}

// Puts `widget` on its own row just above the buttons. Must come after everything that makes
// the message box lay itself out again (texts, icon, check box).
void insertAboveButtons(QMessageBox *alert, QWidget *widget)
{
    auto *grid = qobject_cast<QGridLayout *>(alert->layout());
    auto *buttonBox = alert->findChild<QDialogButtonBox *>();
    if (!grid || !buttonBox) {
        return;
    }
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(grid->indexOf(buttonBox), &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(buttonBox);
    grid->addWidget(widget, row, 0, 1, grid->columnCount());
    grid->addWidget(buttonBox, row + 1, column, rowSpan, columnSpan);
}

} // namespace

QMessageBox *makeAlert(const AlertOptions &options, QWidget *parent)
{
    auto *alert = new QMessageBox(parent);
    alert->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    alert->setText(options.title);
    if (options.message) {
        alert->setInformativeText(*options.message);
    }
    AlertTextWidth::fitMessage(*alert);
    alert->setIconPixmap(options.icon.isNull() ? AlertIcon::forKind(iconFor(options.style))
                                               : options.icon.pixmap(AlertIcon::size, AlertIcon::size));

    QList<QPushButton *> buttons;
    if (options.buttonTitles.isEmpty()) {
        buttons.append(alert->addButton(QMessageBox::Ok));
    } else {
        for (const QString &title : options.buttonTitles) {
            buttons.append(alert->addButton(title, QMessageBox::ActionRole));
        }
    }
    for (qsizetype index = 0; index < buttons.size(); ++index) {
        buttons[index]->setProperty(indexProperty, static_cast<int>(index));
    }

    // Return answers the default button only; every other button is kept from taking it when
    // it has the focus.
    int defaultIndex = options.defaultButtonIndex.value_or(0);
    if (options.destructiveButtonIndexes.contains(defaultIndex)) {
        defaultIndex = -1;
    }
    for (qsizetype index = 0; index < buttons.size(); ++index) {
        buttons[index]->setAutoDefault(false);
        buttons[index]->setDefault(false);
        if (options.destructiveButtonIndexes.contains(static_cast<int>(index))) {
            buttons[index]->setProperty(destructiveProperty, true);
        }
    }
    if (defaultIndex >= 0 && defaultIndex < buttons.size()) {
        alert->setDefaultButton(buttons[defaultIndex]);
    }

    if (options.showsSuppressionButton) {
        alert->setCheckBox(
            new QCheckBox(options.suppressionButtonTitle.value_or(ServiceTexts::suppressionButton())));
    }
    if (options.detailText) {
        auto *detail = new QPlainTextEdit(*options.detailText, alert);
        detail->setReadOnly(true);
        detail->setMinimumHeight(detailTextHeight);
        detail->setObjectName(QStringLiteral("alertDetailText"));
        insertAboveButtons(alert, detail);
    }
    if (options.minimumWidth) {
        // A message box sizes itself; a spacer is what makes it keep a width.
        if (auto *grid = qobject_cast<QGridLayout *>(alert->layout())) {
            grid->addItem(
                new QSpacerItem(*options.minimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    return alert;
}

QList<QAbstractButton *> alertButtons(const QMessageBox *alert)
{
    QList<QAbstractButton *> buttons;
    for (QAbstractButton *button : alert->buttons()) {
        if (button->property(indexProperty).isValid()) {
            buttons.append(button);
        }
    }
    std::sort(buttons.begin(), buttons.end(), [](const QAbstractButton *a, const QAbstractButton *b) {
        return a->property(indexProperty).toInt() < b->property(indexProperty).toInt();
    });
    return buttons;
}

bool isDestructive(const QAbstractButton *button)
{
    return button && button->property(destructiveProperty).toBool();
}

int runAlertModal(QMessageBox *alert)
{
    QPointer<QMessageBox> guard(alert);
    alert->exec();
    if (!guard) {
        return -1;
    }
    const QAbstractButton *clicked = alert->clickedButton();
    const QVariant index = clicked ? clicked->property(indexProperty) : QVariant();
    alert->deleteLater();
    return index.isValid() ? index.toInt() : -1;
}

void presentAlertOnMainQueue(
    QWidget *parent, const QString &title, const QString &message, const QStringList &buttonTitles)
{
    QPointer<QWidget> window(parent);
    Events::runOnMain([window, title, message, buttonTitles] {
        AlertOptions options;
        options.title = title;
        options.message = message;
        options.buttonTitles = buttonTitles;
        runAlertModal(makeAlert(options, window.data()));
    });
}
