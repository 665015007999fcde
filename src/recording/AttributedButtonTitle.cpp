#include "recording/AttributedButtonTitle.h"

#include <utility>

AttributedButtonTitle::AttributedButtonTitle(AttributedString string)
    : m_string(std::move(string))
{ }
