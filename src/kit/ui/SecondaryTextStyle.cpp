#include "kit/ui/SecondaryTextStyle.h"

#include "kit/foundation/text/TextFont.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cmath>

namespace TextStyle {

double systemFontSize()
{
    return TextFont::systemFontSize();
}

double smallSystemFontSize()
{
    // Eleven points beside a standard thirteen, whatever the standard is here.
    return std::round(systemFontSize() * 11.0 / 13.0 * 2) / 2;
}

QColor secondaryColor(const QColor &color)
{
    QColor secondary = color;
    secondary.setAlphaF(color.alphaF() * 0.55);
    return secondary;
}

} // namespace TextStyle

namespace {

// Re-sizes the text when the application font changes, keeping its proportion to the standard size.
class ScaledFontSize : public QObject
{
public:
    ScaledFontSize(QWidget *widget, double fontSize)
        : QObject(widget)
        , m_widget(widget)
        , m_proportion(fontSize / TextStyle::systemFontSize())
    {
        // The application hears of every change of its font, also before its event loop runs.
        qApp->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationFontChange) {
            apply();
        }
        return false;
    }

    void apply()
    {
        QFont font = QApplication::font();
        font.setPointSizeF(m_proportion * TextStyle::systemFontSize());
        m_widget->setFont(font);
    }

private:
    QWidget *m_widget;
    double m_proportion;
};

} // namespace

void applySecondaryTextStyle(QWidget *widget, std::optional<double> fontSize)
{
    for (QObject *child : widget->children()) {
        if (dynamic_cast<ScaledFontSize *>(child)) {
            delete child;
            break;
        }
    }
    new ScaledFontSize(widget, fontSize.value_or(TextStyle::systemFontSize()));

    QPalette palette = widget->palette();
    for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        palette.setColor(group, QPalette::WindowText,
            TextStyle::secondaryColor(palette.color(group, QPalette::WindowText)));
        palette.setColor(
            group, QPalette::Text, TextStyle::secondaryColor(palette.color(group, QPalette::Text)));
    }
    widget->setPalette(palette);
}
