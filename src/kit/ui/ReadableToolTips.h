#pragma once

#include <QObject>

class QLabel;

// Keeps every tool tip of the application, a menu item's as well as a widget's, to a readable
// width: a longer text wraps into lines instead of running across the screen over the menu it
// explains. Qt wraps a plain-text tip only once it is wider than the screen.
class ReadableToolTips : public QObject
{
    Q_OBJECT

public:
    // The widest a tip gets, in average characters of its font.
    static constexpr int readableCharacters = 50;

    // Watches the application's tips from now on; once is enough. GUI thread.
    static void install();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;

    // Wraps the tip when it is wider than the measure, keeping it beside the pointer.
    void fit(QLabel &tip);

    bool m_fitting = false;
};
