#pragma once

#include <QLineEdit>

// A text field that shows its whole text as a tooltip, but only while the text is cut off.
class ExpansionTextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit ExpansionTextField(QWidget *parent = nullptr);

    // Whether the text is wider than the room the field has for it, in the field's font.
    bool isTextCut() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateToolTip();
};
