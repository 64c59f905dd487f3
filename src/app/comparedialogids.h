#pragma once

// Identifiers and texts of the main window (template 102) and its toolbar.

#include <QString>

namespace lindo::mainwindow {

constexpr int kTemplateId = 102;
constexpr int kTemplateWidth = 317; // dialog units
constexpr int kTemplateHeight = 273;
constexpr int kIconResource = 142;
constexpr int kToolBarResource = 132;
constexpr int kToolBarId = 0xE800;

// Controls.
constexpr int kIdFirstPath = 1000;
constexpr int kIdBrowseFirst = 1001;
constexpr int kIdSecondPath = 1002;
constexpr int kIdBrowseSecond = 1003;
constexpr int kIdHiddenEdit1 = 1004;
constexpr int kIdHiddenEdit2 = 1005;
constexpr int kIdDefaultButton = 1024;
constexpr int kIdStatus = 1034;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdLeftPane = 9031;
constexpr int kIdRightPane = 9032;

// Commands, in toolbar order.
constexpr int kCmdCompare = 32773;
constexpr int kCmdCompareFolders = 32778;
constexpr int kCmdMergeToScreen = 32774;
constexpr int kCmdMergeToFile = 32775;
constexpr int kCmdPrevChange = 32779;
constexpr int kCmdNextChange = 32780;
constexpr int kCmdSettings = 32776;
constexpr int kCmdAbout = 32777;

inline const QString kTitle = QStringLiteral("lindo");
inline const QString kLeftPaneName = QStringLiteral("diff1");
inline const QString kRightPaneName = QStringLiteral("diff2");
inline const QString kStatusInitial = QStringLiteral("Select 2 files and then press the compare toolbar button.");
inline const QString kStatusComparing = QStringLiteral("Comparing files...");
inline const QString kStatusReady = QStringLiteral("Ready");
// After a comparison of two files with the same lines but not the same bytes.
inline const QString kStatusOnlyLineEnds = QStringLiteral("The files differ only in their line ends");
inline const QString kStatusOnlyEncoding = QStringLiteral("The files differ only in their encoding");
inline const QString kStatusOnlyEncodingAndLineEnds =
    QStringLiteral("The files differ only in their encoding and line ends");
// A path box's tooltip after a comparison: "UTF-16 LE, BOM · CR LF".
inline const QString kFileFormFormat = QStringLiteral("%1 \u00B7 %2");
inline const QString kBrowseTitle = QStringLiteral("Select file to be compared:");
inline const QString kErrorCaption = QStringLiteral("Error");
inline const QString kFolderDialogStillOpen =
    QStringLiteral("The folder compare dialog is still open.\n\nAre you sure you want to quit?");

// Pixel rules of the layout, in client pixels.
constexpr int kPaneLeft = 8;
constexpr int kPaneTop = 61;
constexpr int kPaneRightInset = 15;  // from the middle of the outer width
constexpr int kPaneBottomInset = 46; // from the outer height
constexpr int kPathTop = 36;
constexpr int kPathBottom = 57;
constexpr int kPathButtonGap = 3;
constexpr int kStatusGap = 4;
constexpr int kGutterInset = 16;    // gutters start this far below a pane's top
constexpr int kGutterHitBottom = 36; // the click area ends this far above a pane's bottom
// The changed-on-disk notice, while shown, sits where the path boxes were and moves them and the panes down.
constexpr int kNoticeHeight = 20;
constexpr int kNoticeGap = 4;

} // namespace lindo::mainwindow
