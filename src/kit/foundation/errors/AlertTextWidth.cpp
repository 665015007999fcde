#include "kit/foundation/errors/AlertTextWidth.h"

#include <QEvent>
#include <QLabel>
#include <QMessageBox>

namespace AlertTextWidth {

namespace {

// The label Qt's message box shows its informative text in.
constexpr char messageLabelName[] = "qt_msgbox_informativelabel";

class MessageWidthFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Before the box sizes itself on showing, and after the style has set the fonts.
        if (event->type() == QEvent::Show) {
            fit(static_cast<QMessageBox *>(watched));
        }
        return false;
    }

private:
    static void fit(QMessageBox *alert)
    {
        auto *label = alert->findChild<QLabel *>(QLatin1String(messageLabelName));
        if (!label || label->text().isEmpty()) {
            return;
        }
        const bool wraps = label->wordWrap();
        label->setWordWrap(false);
        const int natural = label->sizeHint().width();
        label->setWordWrap(wraps);
        const int readable = label->fontMetrics().averageCharWidth() * readableCharacters;
        label->setMinimumWidth(qMin(natural, readable));
    }
};

} // namespace

void fitMessage(QMessageBox &alert)
{
    alert.installEventFilter(new MessageWidthFilter(&alert));
}

} // namespace AlertTextWidth
