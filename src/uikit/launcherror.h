#pragma once

// Result codes of launching a link target. Every failure has a code of its
// own with a fixed explanation for the user; anything above kLaunchLastError
// means the target was opened.

#include <QString>

namespace lindo {

inline constexpr int kLaunchOutOfResources = 0;
inline constexpr int kLaunchFileNotFound = 2;
inline constexpr int kLaunchPathNotFound = 3;
inline constexpr int kLaunchAccessDenied = 5;
inline constexpr int kLaunchOutOfMemory = 8;
inline constexpr int kLaunchBadFormat = 11;
inline constexpr int kLaunchSharingViolation = 26;
inline constexpr int kLaunchIncompleteAssociation = 27;
inline constexpr int kLaunchDdeTimeout = 28;
inline constexpr int kLaunchDdeFailed = 29;
inline constexpr int kLaunchDdeBusy = 30;
inline constexpr int kLaunchNoAssociation = 31;
inline constexpr int kLaunchLibraryNotFound = 32;

inline constexpr int kLaunchLastError = 32;
inline constexpr int kLaunchStarted = 33;

inline constexpr bool LaunchSucceeded(int code)
{
    return code > kLaunchLastError;
}

// The explanation shown for a failure code; unknown codes give
// "Unknown Error (<code>) occurred."
QString LaunchErrorExplanation(int code);

} // namespace lindo
