#pragma once

// The names of the values the program keeps between runs, and the defaults
// that apply when a value is absent or unreadable. No Qt here: the folder
// scan and the command line read these too.

#include <cstdint>

namespace lindo::settings {

// Path histories (lists, most recent first).
inline constexpr char kFilePath1[] = "FilePath1";
inline constexpr char kFilePath2[] = "FilePath2";
inline constexpr char kFolderPath1[] = "FolderPath1";
inline constexpr char kFolderPath2[] = "FolderPath2";

// Window rectangles (16 bytes each); absent means "keep the platform's placement".
inline constexpr char kWindowPos[] = "WindowPos";
inline constexpr char kFoldersWindowPos[] = "FoldersWindowPos";
inline constexpr char kMergedWindowPos[] = "MergedWindowPos";

// Folder comparison.
inline constexpr char kFoldersExceptionStrings[] = "FoldersExceptionStrings";
inline constexpr char kDefaultFoldersExceptionStrings[] =
    "\\Debug\\,\\Release\\,\\WinRel\\,\\WinDebug\\,.dsw,.ncb,.opt,.aps,.clw,.plg,.dsp,";
inline constexpr char kFoldersShowSame[] = "FoldersShowSame";
inline constexpr std::int32_t kDefaultFoldersShowSame = 0;
inline constexpr char kFoldersExStrEnabled[] = "FoldersExStrEnabled";
inline constexpr std::int32_t kDefaultFoldersExStrEnabled = 1;

// Text colours 0x00BBGGRR; their defaults are the engine's default colours.
inline constexpr char kColorIdentical[] = "ColorIdentical";
inline constexpr char kColorDifferent[] = "ColorDifferent";
inline constexpr char kColorInserted[] = "ColorInserted";

// The merge directory (text); absent reads as the empty text.
inline constexpr char kMergePath[] = "MergePath";

// The comparison options of the Compare page (numbers 0 or 1); absent means off.
inline constexpr char kShowLineChanges[] = "ShowLineChanges";
inline constexpr char kIgnoreSpaceChange[] = "IgnoreSpaceChange";
inline constexpr char kIgnoreAllSpace[] = "IgnoreAllSpace";
inline constexpr char kIgnoreCase[] = "IgnoreCase";
// The encoding files are read in when they are neither UTF-8 nor start with a
// BOM (text, a name the system's converter knows); absent or unknown means
// the engine's default, Windows-1252.
inline constexpr char kFallbackEncoding[] = "FallbackEncoding";

// Where the store lives: this file when the variable is set, otherwise
// kStoreFolder/kStoreFile under the user's configuration folder.
inline constexpr char kStoreFileVariable[] = "LINDO_SETTINGS_FILE";
inline constexpr char kStoreFolder[] = "Brannock";
inline constexpr char kStoreFile[] = "Lindo.ini";

} // namespace lindo::settings
