#include "kit/ui/ReadableToolTips.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QScreen>

namespace {

// The label QToolTip shows every tip in, whoever asked for it.
constexpr char toolTipLabelName[] = "qtooltip_label";

} // namespace

void ReadableToolTips::install()
{
    static ReadableToolTips *installed = nullptr;
    if (!installed) {
        installed = new ReadableToolTips(qApp);
        qApp->installEventFilter(installed);
    }
}

bool ReadableToolTips::eventFilter(QObject *watched, QEvent *event)
{
    // A new tip is sized while hidden and placed before it shows; a tip that is already showing
    // takes a new text by resizing, and is placed anew after that.
    if ((event->type() == QEvent::Show || event->type() == QEvent::Resize) && !m_fitting
        && watched->objectName() == QLatin1String(toolTipLabelName)) {
        if (auto *tip = qobject_cast<QLabel *>(watched)) {
            fit(*tip);
        }
    }
    return false;
}

void ReadableToolTips::fit(QLabel &tip)
{
    const int readable = tip.fontMetrics().averageCharWidth() * readableCharacters
        + tip.contentsMargins().left() + tip.contentsMargins().right() + 2 * tip.margin()
        + 2 * tip.frameWidth();
    if (tip.width() <= readable) {
        return;
    }
    m_fitting = true;
    tip.setWordWrap(true);
    // The label's own choice of lines where that is narrower: it balances a short text's lines.
    const int width = qMin(readable, tip.sizeHint().width());
    const QRect before = tip.geometry();
    QRect fitted(before.topLeft(), QSize(width, tip.heightForWidth(width)));
    // Where the tip was put to the left of or above the pointer, for want of room on the screen,
    // it keeps that edge next to the pointer.
    const QPoint pointer = QCursor::pos();
    if (before.right() < pointer.x()) {
        fitted.moveRight(before.right());
    }
    if (before.bottom() < pointer.y()) {
        fitted.moveBottom(before.bottom());
    }
    if (const QScreen *screen = tip.screen()) {
        const QRect room = screen->geometry();
        if (fitted.bottom() > room.bottom()) {
            fitted.moveBottom(qMin(room.bottom(), pointer.y() - 4));
        }
        fitted.moveLeft(
            qBound(room.left(), fitted.left(), qMax(room.left(), room.right() - fitted.width() + 1)));
        fitted.moveTop(qMax(room.top(), fitted.top()));
    }
    tip.setGeometry(fitted);
    m_fitting = false;
}
