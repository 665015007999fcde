#pragma once

#include "app/MenuBarIcon.h"
#include "kit/ui/EnumPicker.h"

// The seven icon styles as images, bound to the "menuBarIcon" setting.
EnumPicker<MenuBarIcon> *makeMenuBarIconPicker();

// The title of an icon style, which the picker keeps as its tooltip and accessible text.
QString menuBarIconTitle(MenuBarIcon icon);
