#pragma once

// Identifiers, texts and images of the Folder Comparison window (template 138).

#include "folderwindow/anchorlayout.h"

#include <QString>

namespace lindo::folderwindow {

constexpr int kTemplateId = 138;
constexpr int kTemplateWidth = 288; // dialog units
constexpr int kTemplateHeight = 268;
constexpr int kIconResource = 143;

// Controls.
constexpr int kIdFolder1 = 1030;
constexpr int kIdBrowse1 = 1001;
constexpr int kIdFolder2 = 1031;
constexpr int kIdBrowse2 = 1003;
constexpr int kIdGo = 1032;
constexpr int kIdResults = 1033;
constexpr int kIdStatus = 1034;
constexpr int kIdCount = 1048;

// A control's template rectangle in dialog units and how it follows resizing.
struct ControlRule {
    int id;
    int x, y, width, height;
    AnchorMode left, right, top, bottom;
};

// In the order the rules are registered. The combo boxes' heights are those
// of their closed field (the template's include the drop-down list).
inline constexpr ControlRule kControlRules[] = {
    {kIdResults, 7, 23, 274, 234, FollowLeft, FollowRight, FollowTop, FollowBottom},
    {kIdFolder1, 7, 5, 98, 13, FollowLeft, FollowCentre, FollowTop, FollowTop},
    {kIdFolder2, 172, 5, 98, 13, FollowCentre, FollowRight, FollowTop, FollowTop},
    {kIdGo, 130, 5, 27, 13, FollowCentre, FollowCentre, FollowTop, FollowTop},
    {kIdBrowse1, 107, 5, 9, 13, FollowCentre, FollowCentre, FollowTop, FollowTop},
    {kIdBrowse2, 272, 5, 9, 13, FollowRight, FollowRight, FollowTop, FollowTop},
    {kIdStatus, 7, 259, 128, 8, FollowLeft, FollowCentre, FollowBottom, FollowBottom},
    {kIdCount, 191, 259, 90, 8, FollowCentre, FollowRight, FollowBottom, FollowBottom},
};

inline const QString kTitle = QStringLiteral("Folder Comparison");
inline const QString kGoCaption = QStringLiteral("Go");
inline const QString kAbortCaption = QStringLiteral("Abort");
inline const QString kBrowseCaption = QStringLiteral("...");
inline const QString kCountInitial = QStringLiteral("0 Objects");
inline const QString kBrowseTitle1 = QStringLiteral("Choose folder1:");
inline const QString kBrowseTitle2 = QStringLiteral("Choose folder2:");
inline const QString kColumnRelativePath = QStringLiteral("Relative path");
inline const QString kColumnState = QStringLiteral("State");

// Column widths from the list's width W at initialisation.
constexpr double kPathColumnShare = 0.65;
constexpr double kStateColumnShare = 0.35;
constexpr int kStateColumnTrim = 20;

inline const QString kWindowIcon = QStringLiteral(":/icons/folders.png");

} // namespace lindo::folderwindow
