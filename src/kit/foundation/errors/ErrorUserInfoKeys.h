#pragma once

// Keys of an error's user info. The values are the platform's own key strings so
// that reports and logs read the same as on every other system the program runs on.
inline constexpr char NSLocalizedDescriptionKey[] = "NSLocalizedDescription";
inline constexpr char NSLocalizedFailureErrorKey[] = "NSLocalizedFailure";
inline constexpr char NSLocalizedFailureReasonErrorKey[] = "NSLocalizedFailureReason";
inline constexpr char NSLocalizedRecoverySuggestionErrorKey[] = "NSLocalizedRecoverySuggestion";
inline constexpr char NSLocalizedRecoveryOptionsErrorKey[] = "NSLocalizedRecoveryOptions";
inline constexpr char NSRecoveryAttempterErrorKey[] = "NSRecoveryAttempter";
inline constexpr char NSHelpAnchorErrorKey[] = "NSHelpAnchor";
inline constexpr char NSUnderlyingErrorKey[] = "NSUnderlyingError";
inline constexpr char NSMultipleUnderlyingErrorsKey[] = "NSMultipleUnderlyingErrorsKey";
inline constexpr char NSURLErrorKey[] = "NSURL";
inline constexpr char NSFilePathErrorKey[] = "NSFilePath";
