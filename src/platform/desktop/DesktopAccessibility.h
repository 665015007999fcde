#pragma once

// The desktop's accessibility settings that change how the status item should look.
namespace DesktopAccessibility {

// Whether states must show by more than colour: the desktop's high-contrast setting where it
// has one (GSettings org.gnome.desktop.a11y.interface high-contrast), false elsewhere.
bool shouldDifferentiateWithoutColor();

} // namespace DesktopAccessibility
