#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class CocoaLabel;
class QProgressBar;
class QVBoxLayout;

// A small sheet over a window with a busy indicator and an optional message below it, shown as
// typed. Escape cancels: `onCancel` runs at once, the sheet goes on the next turn of the event loop.
// The sheet belongs to whoever made it, never to the presenter: presenting leaves it a window of its
// own, modal to the presenter, and a presenter that goes first only hides it.
class ProgressSpinnerSheet : public QDialog
{
    Q_OBJECT

public:
    ProgressSpinnerSheet();

    // Shows the sheet window-modally over `presenterWindow` with the message.
    void present(QWidget *presenterWindow, const QString &text = {});
    // Ends the sheet on the next turn of the event loop.
    void hideSheet();

    QString text() const { return m_text; }
    // An empty text hides the message.
    void setText(const QString &text);
    bool isShown() const { return m_isShown; }
    bool isSpinning() const;

    std::function<void()> onCancel;

    QPointer<QWidget> presenterWindow() const { return m_presenterWindow; }

    void reject() override;

private:
    void endSheet();

    QPointer<QWidget> m_presenterWindow;
    QProgressBar *m_spinner;
    CocoaLabel *m_label;
    QString m_text;
    bool m_isShown = false;
};
