#pragma once

#include <string_view>

namespace lindo {

inline constexpr std::string_view kUsage =
    "Usage: lindo [FILE1 FILE2]\n"
    "       lindo FILE1 BASE FILE2 [-o OUT]   (the Three-way Merge window)\n"
    "       lindo --merge FILE1 FILE2 [-o OUT]\n"
    "       lindo --merge3 FILE1 BASE FILE2 [-o OUT] [--diff3] [-L LABEL]...\n"
    "                      [--encoding NAME]\n"
    "       lindo --sections FILE1 FILE2\n"
    "       lindo --folders DIR1 DIR2 [--no-exceptions]\n"
    "       lindo --help | --version\n"
    "\n"
    "Compares two text files line by line and merges them (a union merge).\n"
    "Without arguments, or with two files, it opens its window.\n"
    "  --merge     writes the merge output to standard output, or to OUT with -o\n"
    "              (\"-o -\" is standard output; a pipe or device is written, not\n"
    "              replaced). Its lines end in CR LF when either file has a CR LF\n"
    "              line end, otherwise in LF. It is written in the files' encoding\n"
    "              (with their BOM) when they share one; when only one file holds\n"
    "              text outside ASCII, in that file's; otherwise in UTF-8\n"
    "  --merge3    merges the changes FILE1 and FILE2 made to BASE, line by line\n"
    "              (a three-way merge), to standard output or to OUT with -o;\n"
    "              changes that overlap or touch are written between conflict\n"
    "              markers as git writes them, labelled with the file names or\n"
    "              with up to three -L LABELs (FILE1's, BASE's, FILE2's);\n"
    "              --diff3 adds BASE's lines. Exit status: 0 when no conflict\n"
    "              is left, 1 when conflicts are, 2 on trouble. The merge is\n"
    "              written in the encoding the three files share; otherwise in\n"
    "              the one shared by those holding text outside ASCII; else UTF-8\n"
    "  --sections  prints each section: SIDE INDEX FIRST LAST STATUS PARTNER ABOVE SELECTED\n"
    "  -b, --ignore-space-change\n"
    "              with --merge or --sections: lines that differ only in the\n"
    "              amount of blank space compare equal (a run of it counts as\n"
    "              one blank, blank space at a line's end as none). Blank space\n"
    "              is blank, tab, form feed, vertical tab and carriage return\n"
    "  -w, --ignore-all-space\n"
    "              with --merge or --sections: blank space is left out when\n"
    "              lines are compared\n"
    "  -i, --ignore-case\n"
    "              with --merge or --sections: ASCII letters compare regardless\n"
    "              of case. With any of the three, the merge still writes every\n"
    "              line as it stands in its file\n"
    "  --encoding NAME\n"
    "              with --merge, --merge3 or --sections: files that are neither\n"
    "              valid UTF-8 nor start with a UTF-8, UTF-16 or UTF-32 BOM are\n"
    "              read in NAME (default WINDOWS-1252; any name iconv -l lists)\n"
    "  --folders   compares two folder trees file by file and prints each listed\n"
    "              file as STATE<TAB>RELATIVE-PATH; a path holding a tab, a line\n"
    "              feed, a backslash or a double quote is written in double quotes\n"
    "              with C escapes. It applies the stored exception strings and the\n"
    "              FoldersShowSame setting as the window does. Exit status: 0 when\n"
    "              no listed file differs, 1 when one differs or is in one folder\n"
    "              only, 2 on trouble\n"
    "  --no-exceptions  with --folders: lists paths that hold an exception string\n"
    "              too, for this run only\n"
    "  --version   prints the version line\n";

inline constexpr int kExitOk = 0;
inline constexpr int kExitDifferent = 1; // --folders: a listed file differs; --merge3: conflicts are left
inline constexpr int kExitFailure = 2;
inline constexpr char kNoExceptionsOption[] = "--no-exceptions";
inline constexpr char kOutputOption[] = "-o"; // --merge, --merge3: the file to write
inline constexpr char kDiff3Option[] = "--diff3"; // --merge3: shows the base's lines too
inline constexpr char kLabelOption[] = "-L";      // --merge3: a conflict marker's label
inline constexpr char kEncodingOption[] = "--encoding"; // the fallback encoding

// The windowed half of the program, started by `lindo` for everything that
// needs Qt, so the headless modes load no user-interface libraries at all.
inline constexpr char kWindowProgram[] = "lindo-window";
// The headless folder comparison, which needs the settings store but no windows.
inline constexpr char kFoldersProgram[] = "lindo-folders";

} // namespace lindo
