#pragma once

// How the desktop knows the program: the desktop-file ID, the session-bus name and the
// application identifier are one name, so launchers, autostart and automation find the same one.
namespace AppIdentity {

inline constexpr char identifier[] = "com.larkvelden.Tapewick";
inline constexpr char busName[] = "com.larkvelden.Tapewick";
inline constexpr char objectPath[] = "/com/larkvelden/Tapewick";
inline constexpr char displayName[] = "Tapewick";

} // namespace AppIdentity
