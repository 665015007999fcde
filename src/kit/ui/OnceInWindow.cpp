#include "kit/ui/OnceInWindow.h"

#include <QEvent>
#include <QWidget>

namespace {

class AddedToWindowObserver : public QWidget
{
public:
    AddedToWindowObserver(QWidget *view, std::function<void()> onAdded)
        : QWidget(view)
        , m_onAdded(std::move(onAdded))
    {
        setObjectName(QStringLiteral("kwAddedToWindowObserver"));
        setGeometry(0, 0, 0, 0);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        if (view->isVisible()) {
            show();
        }
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_onAdded) {
            auto onAdded = std::exchange(m_onAdded, nullptr);
            deleteLater();
            onAdded();
        }
        return QWidget::event(event);
    }

private:
    std::function<void()> m_onAdded;
};

} // namespace

void runOnceInWindow(QWidget *view, std::function<void()> onAdded)
{
    new AddedToWindowObserver(view, std::move(onAdded));
}
