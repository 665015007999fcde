#pragma once

#include "platform/automation/AutomationMethod.h"

// The <interface> element of introspection data for `interface`, with every method's and
// argument's annotations.
QString introspectionXml(const AutomationInterface &interface);
