#pragma once

#include <QPushButton>

// A button drawn for its looks only: clicks go through it to whatever lies behind.
class LabelButton : public QPushButton
{
    Q_OBJECT
public:
    explicit LabelButton(const QString &text = {}, QWidget *parent = nullptr)
        : QPushButton(text, parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
};
