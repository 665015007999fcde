#include "kit/ui/ProgressSpinnerSheet.h"

#include "kit/ui/CocoaLabel.h"

#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {
constexpr int maximumLabelWidth = 300;
} // namespace

ProgressSpinnerSheet::ProgressSpinnerSheet()
    : QDialog(nullptr, Qt::Sheet)
    , m_spinner(new QProgressBar)
    , m_label(new CocoaLabel)
{
    m_spinner->setRange(0, 0);
    m_spinner->setTextVisible(false);
    m_label->setWordWrap(true);
    m_label->setMaximumWidth(maximumLabelWidth);
    m_label->setAlignment(Qt::AlignHCenter);
    m_label->hide();

    auto *container = new QVBoxLayout(this);
    container->setSpacing(20);
    container->setContentsMargins(80, 30, 80, 30);
    container->addWidget(m_spinner, 0, Qt::AlignHCenter);
    container->addWidget(m_label, 0, Qt::AlignHCenter);
    container->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgressSpinnerSheet::present(QWidget *presenterWindow, const QString &text)
{
    if (m_presenterWindow) {
        disconnect(m_presenterWindow, &QObject::destroyed, this, nullptr);
    }
    m_presenterWindow = presenterWindow ? presenterWindow->window() : nullptr;
    setText(text);
    m_spinner->setRange(0, 0);
    m_isShown = true;
    setWindowModality(m_presenterWindow ? Qt::WindowModal : Qt::ApplicationModal);
    if (m_presenterWindow) {
        // Modal to the presenter through the windowing system's tie, not through a parent that
        // would delete the sheet with it.
        winId();
        m_presenterWindow->winId();
        windowHandle()->setTransientParent(m_presenterWindow->windowHandle());
        adjustSize();
        const QRect over = m_presenterWindow->geometry();
        move(over.center().x() - width() / 2, over.top());
        connect(m_presenterWindow, &QObject::destroyed, this, &ProgressSpinnerSheet::endSheet);
    }
    show();
}

void ProgressSpinnerSheet::hideSheet()
{
    QTimer::singleShot(0, this, &ProgressSpinnerSheet::endSheet);
}

void ProgressSpinnerSheet::endSheet()
{
    hide();
    // A determinate, empty bar stands still.
    m_spinner->setRange(0, 1);
    m_isShown = false;
    setText({});
}

void ProgressSpinnerSheet::setText(const QString &text)
{
    m_text = text;
    m_label->setText(text);
    m_label->setVisible(!text.isEmpty());
}

bool ProgressSpinnerSheet::isSpinning() const
{
    return m_spinner->maximum() == 0;
}

void ProgressSpinnerSheet::reject()
{
    hideSheet();
    if (onCancel) {
        onCancel();
    }
}
