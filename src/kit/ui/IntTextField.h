#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>
#include <utility>

// A text field for a whole number: the Up and Down arrow keys step it (by `alternativeDelta` with
// Alt held), and a value outside `minMax` makes it shake. A positive value still below the range
// is let be while it is typed, as more digits may follow.
class IntTextField : public QLineEdit
{
    Q_OBJECT

public:
    explicit IntTextField(QWidget *parent = nullptr);

    qint64 delta = 1;
    qint64 alternativeDelta = 10;
    std::function<void(qint64)> onValueChange;
    std::function<void(qint64)> onBlur;
    // Both bounds included.
    std::optional<std::pair<qint64, qint64>> minMax;

    // The number the text starts with (after blanks and a sign); 0 when it starts with none.
    qint64 integerValue() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool isOutOfRange(qint64 value) const;
    // Shakes when the value is out of range, then reports it.
    void checkAndReport(const std::function<void(qint64)> &report);
    void textEditedByUser();
    void editingEnded();
};
