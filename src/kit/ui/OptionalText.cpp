#include "kit/ui/OptionalText.h"

std::unique_ptr<QLabel> optionalText(const std::optional<QString> &text)
{
    if (!text) {
        return nullptr;
    }
    auto label = std::make_unique<QLabel>();
    label->setTextFormat(Qt::PlainText);
    label->setText(*text);
    return label;
}
