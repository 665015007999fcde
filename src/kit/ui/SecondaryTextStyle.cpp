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

QPalette inheritedPalette(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    return parent && !widget->isWindow() ? parent->palette() : QApplication::palette(widget);
}

} // namespace TextStyle

namespace {

// Keeps a widget in the secondary style: the size in proportion to the standard size when the
// application font changes, and the dimmed colours derived afresh from the inherited palette
// whenever it changes (a light/dark switch), so they neither keep the old theme nor dim twice.
class SecondaryStyle : public QObject
{
public:
    SecondaryStyle(QWidget *widget, double fontSize)
        : QObject(widget)
        , m_widget(widget)
        , m_proportion(fontSize / TextStyle::systemFontSize())
    {
        // The application hears of every change of its font, also before its event loop runs.
        qApp->installEventFilter(this);
        widget->installEventFilter(this);
        applyFont();
        applyColors();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp && event->type() == QEvent::ApplicationFontChange) {
            applyFont();
        } else if (watched == m_widget && !m_applying
            && (event->type() == QEvent::PaletteChange
                || event->type() == QEvent::ApplicationPaletteChange)) {
            applyColors();
        }
        return false;
    }

private:
    void applyFont()
    {
        QFont font = QApplication::font();
        font.setPointSizeF(m_proportion * TextStyle::systemFontSize());
        m_widget->setFont(font);
    }

    void applyColors()
    {
        const QPalette inherited = TextStyle::inheritedPalette(m_widget);
        QPalette palette = m_widget->palette();
        for (const auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
            for (const auto role : { QPalette::WindowText, QPalette::Text }) {
                palette.setColor(group, role, TextStyle::secondaryColor(inherited.color(group, role)));
            }
        }
        m_applying = true;
        m_widget->setPalette(palette);
        m_applying = false;
    }

    QWidget *m_widget;
    double m_proportion;
    bool m_applying = false;
};

} // namespace

void applySecondaryTextStyle(QWidget *widget, std::optional<double> fontSize)
{
    // Applied again, the style replaces itself rather than dimming what it dimmed before.
    for (QObject *child : widget->children()) {
        if (dynamic_cast<SecondaryStyle *>(child)) {
            delete child;
            break;
        }
    }
    new SecondaryStyle(widget, fontSize.value_or(TextStyle::systemFontSize()));
}
