#include "kit/ui/UrlIcon.h"

#include "kit/foundation/files/FileIcon.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// Screen readers pass over what is not showing; the text beside the icon carries the meaning.
class DecorationAccessible : public QAccessibleWidget
{
public:
    explicit DecorationAccessible(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Graphic)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        return state;
    }
};

QAccessibleInterface *decorationAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("UrlIcon") && object && object->isWidgetType()) {
        return new DecorationAccessible(static_cast<QWidget *>(object));
    }
    return nullptr;
}

} // namespace

UrlIcon::UrlIcon(const QUrl &url, QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    static const bool hiddenFromAccessibility = [] {
        QAccessible::installFactory(&decorationAccessible);
        return true;
    }();
    Q_UNUSED(hiddenFromAccessibility);
    setUrl(url);
}

void UrlIcon::setUrl(const QUrl &url)
{
    m_url = url;
    m_icon = iconFor(url);
    update();
}

QIcon UrlIcon::iconFor(const QUrl &url)
{
    return fileIcon(url);
}

QSize UrlIcon::sizeHint() const
{
    return QSize(32, 32);
}

void UrlIcon::paintEvent(QPaintEvent *)
{
    const int side = qMin(width(), height());
    if (side <= 0 || m_icon.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect square((width() - side) / 2, (height() - side) / 2, side, side);
    m_icon.paint(&painter, square, Qt::AlignCenter);
}
