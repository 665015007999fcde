#pragma once

class QWidget;

// Stacking of a window among others: a floating window stays above normal ones.
enum class WindowLevel { normal = 0, floating = 3 };

// Sets the level of the window at once; changing it re-maps a shown window.
void setWindowLevel(QWidget *window, WindowLevel level);
WindowLevel windowLevel(const QWidget *window);

// Sets the level of whatever window hosts `content`, whenever that becomes known.
void applyWindowLevel(QWidget *content, WindowLevel level);

// Shows or hides the close, minimise and maximise buttons of the window's title bar.
void setTitlebarButtonsVisible(QWidget *window, bool visible);
bool titlebarButtonsVisible(const QWidget *window);
