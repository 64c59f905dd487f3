#pragma once

// The Three-way Merge window's control ids, texts, keys and colours.

#include <QColor>
#include <QKeySequence>
#include <QString>

namespace lindo::threeway {

constexpr int kIdResult = 1;
constexpr int kIdFirstPane = 11; // FILE1's; BASE's and FILE2's follow
constexpr int kIdFirstHeading = 21;
constexpr int kIdResultHeading = 24;
constexpr int kIdStatus = 30;
constexpr int kIdSave = 101;
constexpr int kIdSaveAs = 102;
constexpr int kIdTakeFirst = 103;
constexpr int kIdTakeSecond = 104;
constexpr int kIdTakeFirstThenSecond = 105;
constexpr int kIdTakeSecondThenFirst = 106;
constexpr int kIdTakeBase = 107;
constexpr int kIdPreviousConflict = 108;
constexpr int kIdNextConflict = 109;
constexpr int kIdUndo = 110;

inline const QString kTitle = QStringLiteral("Three-way Merge");
inline const QString kTitleFormat = QStringLiteral("Three-way Merge - %1"); // %1: the file Save writes
inline const QString kResultHeading = QStringLiteral("Result");
inline const QString kResultHeadingFormat = QStringLiteral("Result: %1");
inline const QString kSaveAsTitle = QStringLiteral("Save As");
inline const QString kErrorCaption = QStringLiteral("Error");
inline const QString kCouldNotCreate = QStringLiteral("Could not create file:\n\n");
inline const QString kNoConflicts = QStringLiteral("No conflicts");
inline const QString kConflictsLeftFormat = QStringLiteral("%1 of %2 conflicts left");
inline const QString kOneConflictLeftFormat = QStringLiteral("%1 of 1 conflict left");
inline const QString kSaveWithMarkersFormat = QStringLiteral("%1 conflicts are left. Save with conflict markers?");
inline const QString kSaveWithMarkersOne = QStringLiteral("1 conflict is left. Save with conflict markers?");

// Button strings: the text, a newline, the tooltip.
inline const QString kSaveString = QStringLiteral("Save\nSave (Ctrl+S)");
inline const QString kSaveAsString = QStringLiteral("Save As\nSave As");
inline const QString kTakeFirstString = QStringLiteral("FILE1\nTake FILE1's lines (Ctrl+1)");
inline const QString kTakeSecondString = QStringLiteral("FILE2\nTake FILE2's lines (Ctrl+2)");
inline const QString kTakeFirstThenSecondString = QStringLiteral("1+2\nTake both, FILE1's lines first (Ctrl+3)");
inline const QString kTakeSecondThenFirstString = QStringLiteral("2+1\nTake both, FILE2's lines first (Ctrl+4)");
inline const QString kTakeBaseString = QStringLiteral("BASE\nTake BASE's lines (Ctrl+B)");
inline const QString kPreviousConflictString = QStringLiteral("Previous\nPrevious conflict (Alt+Up)");
inline const QString kNextConflictString = QStringLiteral("Next\nNext conflict (Alt+Down)");
inline const QString kUndoString = QStringLiteral("Undo\nUndo (Ctrl+Z)");

inline const QKeySequence kTakeFirstKey{Qt::CTRL | Qt::Key_1};
inline const QKeySequence kTakeSecondKey{Qt::CTRL | Qt::Key_2};
inline const QKeySequence kTakeFirstThenSecondKey{Qt::CTRL | Qt::Key_3};
inline const QKeySequence kTakeSecondThenFirstKey{Qt::CTRL | Qt::Key_4};
inline const QKeySequence kTakeBaseKey{Qt::CTRL | Qt::Key_B};
inline const QKeySequence kPreviousConflictKey{Qt::ALT | Qt::Key_Up};
inline const QKeySequence kNextConflictKey{Qt::ALT | Qt::Key_Down};

// A stretch's colour by what changed in it.
inline const QColor kFirstOnlyColour{204, 224, 255};
inline const QColor kSecondOnlyColour{208, 240, 208};
inline const QColor kBothAlikeColour{236, 220, 255};
inline const QColor kOpenConflictColour{255, 196, 196};
inline const QColor kResolvedConflictColour{255, 236, 190};

constexpr int kWidth = 1000;
constexpr int kHeight = 700;

} // namespace lindo::threeway
