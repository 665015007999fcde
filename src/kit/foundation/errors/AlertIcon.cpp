#include "kit/foundation/errors/AlertIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>

namespace AlertIcon {

namespace {

QStyle::StandardPixmap standardPixmapFor(QMessageBox::Icon kind)
{
    switch (kind) {
    case QMessageBox::Critical:
        return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Question:
        return QStyle::SP_MessageBoxQuestion;
    case QMessageBox::Warning:
        return QStyle::SP_MessageBoxWarning;
    case QMessageBox::Information:
    case QMessageBox::NoIcon:
        break;
    }
    return QStyle::SP_MessageBoxInformation;
}

} // namespace

QPixmap forKind(QMessageBox::Icon kind)
{
    const QIcon program = QApplication::windowIcon();
    if (program.isNull()) {
        return QApplication::style()->standardIcon(standardPixmapFor(kind)).pixmap(size, size);
    }
    // Drawn onto a canvas of its own: an icon without a large enough picture still fills it.
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap picture(QSize(size, size) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, size, size), program.pixmap(QSize(size, size), ratio));
    if (kind == QMessageBox::Critical) {
        // The warning triangle reads as "caution" in every style; the critical sign of some
        // styles looks like an error that already happened.
        const int badge = size / 2;
        const QPixmap caution = QApplication::style()
                                    ->standardIcon(QStyle::SP_MessageBoxWarning)
                                    .pixmap(QSize(badge, badge), ratio);
        painter.drawPixmap(QRect(size - badge, size - badge, badge, badge), caution);
    }
    painter.end();
    return picture;
}

} // namespace AlertIcon
