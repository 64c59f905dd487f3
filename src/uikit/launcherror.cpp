#include "uikit/launcherror.h"

#include <array>

namespace lindo {

namespace {

struct LaunchErrorText {
    int code;
    const char *explanation;
};

constexpr std::array kLaunchErrorTexts{
    LaunchErrorText{kLaunchOutOfResources, "The operating system is out\nof memory or resources."},
    LaunchErrorText{kLaunchFileNotFound, "The specified file was not found."},
    LaunchErrorText{kLaunchPathNotFound, "The specified path was not found."},
    LaunchErrorText{kLaunchAccessDenied, "The operating system denied\naccess to the specified file."},
    LaunchErrorText{kLaunchOutOfMemory, "There was not enough memory to complete the operation."},
    LaunchErrorText{kLaunchBadFormat,
                    "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    LaunchErrorText{kLaunchSharingViolation, "A sharing violation occurred. "},
    LaunchErrorText{kLaunchIncompleteAssociation,
                    "The filename association is\nincomplete or invalid."},
    LaunchErrorText{kLaunchDdeTimeout,
                    "The DDE transaction could not\nbe completed because the request timed out."},
    LaunchErrorText{kLaunchDdeFailed, "The DDE transaction failed."},
    LaunchErrorText{kLaunchDdeBusy, "The DDE transaction could not\nbe completed because other DDE "
                                    "transactions\nwere being processed."},
    LaunchErrorText{kLaunchNoAssociation,
                    "There is no application associated\nwith the given filename extension."},
    LaunchErrorText{kLaunchLibraryNotFound, "The specified dynamic-link library was not found."},
};

constexpr char kUnknownLaunchError[] = "Unknown Error (%1) occurred.";

} // namespace

QString LaunchErrorExplanation(int code)
{
    for (const LaunchErrorText &entry : kLaunchErrorTexts) {
        if (entry.code == code)
            return QString::fromLatin1(entry.explanation);
    }
    return QString::fromLatin1(kUnknownLaunchError).arg(code);
}

} // namespace lindo
