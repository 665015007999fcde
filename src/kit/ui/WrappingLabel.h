#pragma once

#include <QLabel>

class QTextLayout;

// A plain-text label whose lines break between words and, where a word is longer than a line (a
// file name without spaces), inside the word: the whole text always shows, from its start. A
// QLabel breaks only between words and lets a longer word run out of sight.
class WrappingLabel : public QLabel
{
    Q_OBJECT

public:
    explicit WrappingLabel(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the text out in lines at most `width` wide; answers the size the lines take.
    QSizeF layOut(QTextLayout &layout, qreal width) const;
    // What the frame and the margins take around the text, across and down.
    QSize chrome() const;
};
