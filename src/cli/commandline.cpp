#include "cli/commandline.h"

#include "cli/merge3command.h"
#include "cli/signalcleanup.h"

#include "cli/usage.h"
#include "cli/version.h"
#include "engine/diffengine.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace lindo {

namespace {

class StderrReporter final : public FileErrorReporter {
public:
    void ReportFileError(const std::string &message) override
    {
        std::cerr << message << '\n';
    }
};

int UsageError()
{
    std::cerr << kUsage;
    return kExitFailure;
}

const char *StatusWord(const DiffSection &section)
{
    switch (StatusOf(section)) {
    case SectionStatus::Matching:
        return "matching";
    case SectionStatus::Different:
        return "different";
    case SectionStatus::OnlyInThisFile:
        return "only";
    case SectionStatus::None:
        break;
    }
    return "none";
}

void PrintSections(const DiffEngine &engine)
{
    std::string out;
    for (int side = 1; side <= 2; ++side) {
        const auto &sections = engine.Sections(side);
        for (std::size_t index = 0; index < sections.size(); ++index) {
            const DiffSection &s = sections[index];
            out += std::to_string(side) + ' ' + std::to_string(index) + ' '
                   + std::to_string(s.first) + ' ' + std::to_string(s.last) + ' ' + StatusWord(s)
                   + ' ' + std::to_string(s.partner) + ' ' + std::to_string(s.above) + ' '
                   + (s.IsSelected() ? '1' : '0') + '\n';
        }
    }
    std::cout << out;
}

bool IsOption(std::string_view arg)
{
    return arg.size() > 1 && arg.front() == '-';
}

// Takes the comparison options (GNU diff's letters, bundled or not, and
// their long forms) out of args[1..] into options; "--" ends them and is
// dropped, so a file named like an option can still be given. False on an
// option of neither kind.
bool TakeKeyOptions(std::vector<std::string_view> &args, LineKeyOptions &options)
{
    std::vector<std::string_view> rest{args.front()};
    bool takingOptions = true;
    for (std::size_t n = 1; n < args.size(); ++n) {
        const std::string_view arg = args[n];
        if (!takingOptions || !IsOption(arg) || arg == kOutputOption) {
            rest.push_back(arg);
        } else if (arg == "--") {
            takingOptions = false;
        } else if (arg == "--ignore-space-change") {
            options.ignoreSpaceChange = true;
        } else if (arg == "--ignore-all-space") {
            options.ignoreAllSpace = true;
        } else if (arg == "--ignore-case") {
            options.ignoreCase = true;
        } else if (arg[1] != '-' && arg.find_first_not_of("bwi", 1) == std::string_view::npos) {
            for (const char letter : arg.substr(1))
                (letter == 'b' ? options.ignoreSpaceChange : letter == 'w' ? options.ignoreAllSpace : options.ignoreCase) = true;
        } else {
            return false;
        }
    }
    args.swap(rest);
    return true;
}

// Takes "--encoding NAME" (the encoding of files that are neither UTF-8 nor
// marked by a BOM) out of args[1..], before "--". False, after saying so,
// when the name is missing or not an encoding the system knows.
bool TakeEncodingOption(std::vector<std::string_view> &args, DiffEngine &engine)
{
    std::vector<std::string_view> rest{args.front()};
    for (std::size_t n = 1; n < args.size(); ++n) {
        if (args[n] == "--") {
            rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(n), args.end());
            break;
        }
        if (args[n] != kEncodingOption) {
            rest.push_back(args[n]);
            continue;
        }
        if (n + 1 == args.size())
            return false;
        const std::string name(args[++n]);
        if (!IsKnownEncoding(name)) {
            std::cerr << "lindo: unknown encoding: " << name << '\n';
            return false;
        }
        engine.fallbackEncoding = FallbackName(name);
    }
    args.swap(rest);
    return true;
}

// Loads and compares with auto-select on, as the window's Compare does.
bool LoadAndCompare(DiffEngine &engine, const std::string &path1, const std::string &path2)
{
    if (!engine.Load(path1, path2))
        return false;
    engine.Compare();
    return true;
}

// "-o -" names the standard output, as it does for most programs.
constexpr std::string_view kStandardOutputName = "-";

int RunMerge(std::vector<std::string_view> args)
{
    // lindo --merge [-b] [-w] [-i] FILE1 FILE2 [-o OUT]
    // Left to the process's end to free: giving its large blocks back one by
    // one is a tenth of a small merge's time, and the exit frees them anyway.
    // A static pointer keeps it reachable, so leak checkers stay quiet.
    static DiffEngine *const kept = new DiffEngine;
    DiffEngine &engine = *kept;
    if (!TakeEncodingOption(args, engine) || !TakeKeyOptions(args, engine.keyOptions))
        return UsageError();
    if (args.size() != 3 && !(args.size() == 5 && args[3] == kOutputOption))
        return UsageError();
    StderrReporter reporter;
    engine.SetReporter(&reporter);
    if (!LoadAndCompare(engine, std::string(args[1]), std::string(args[2])))
        return kExitFailure;
    engine.BuildMergeList();
    if (args.size() == 5 && args[4] != kStandardOutputName)
        return engine.WriteMergeFile(std::string(args[4])) ? kExitOk : kExitFailure;
    engine.WriteMergeText(std::cout);
    std::cout.flush();
    if (!std::cout) {
        reporter.ReportFileError(FileErrorMessage(FileErrorCause::DiskFull, "/dev/stdout"));
        return kExitFailure;
    }
    return kExitOk;
}

int RunSections(std::vector<std::string_view> args)
{
    DiffEngine engine;
    if (!TakeEncodingOption(args, engine) || !TakeKeyOptions(args, engine.keyOptions) || args.size() != 3)
        return UsageError();
    StderrReporter reporter;
    engine.SetReporter(&reporter);
    if (!LoadAndCompare(engine, std::string(args[1]), std::string(args[2])))
        return kExitFailure;
    PrintSections(engine);
    return kExitOk;
}

// Replaces this process by one of the program's other halves, which sit
// beside this one (in the build tree) or in libexec/lindo (once installed).
int RunProgram(const char *program, char **argv)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        self = fs::absolute(argv[0], ec);
    const fs::path folder = self.parent_path();
    for (const fs::path &candidate : {folder / program, folder / ".." / "libexec" / "lindo" / program})
        ::execv(candidate.c_str(), argv);
    std::cerr << "lindo: cannot start " << program << ": " << std::strerror(errno) << '\n';
    return kExitFailure;
}

} // namespace

int RunCommandLine(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty())
        return RunProgram(kWindowProgram, argv);
    const std::string_view mode = args[0];
    if (mode == "--help" || mode == "-h") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (mode == "--version") {
        std::cout << kVersionLine << '\n';
        return kExitOk;
    }
    if (mode == "--merge") {
        RemoveWriterTemporaryOnSignals();
        return RunMerge(args);
    }
    if (mode == "--merge3") {
        RemoveWriterTemporaryOnSignals();
        return RunMerge3Command(args);
    }
    if (mode == "--sections")
        return RunSections(args);
    // The folder scan reads the settings store, which needs QtCore.
    if (mode == "--folders")
        return RunProgram(kFoldersProgram, argv);
    if (args.size() == 2 && !IsOption(args[0]) && !IsOption(args[1]))
        return RunProgram(kWindowProgram, argv);
    // FILE1 BASE FILE2 [-o OUT]: the Three-way Merge window.
    if ((args.size() == 3 || (args.size() == 5 && args[3] == kOutputOption))
        && std::none_of(args.begin(), args.begin() + 3, IsOption))
        return RunProgram(kWindowProgram, argv);
    return UsageError();
}

} // namespace lindo
