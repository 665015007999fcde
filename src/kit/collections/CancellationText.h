#pragma once

// Said of any operation that was cancelled before it finished; plain characters, so that an
// exception's what() can hand it out too.
inline constexpr char operationCancelledText[] = "The operation was cancelled.";
