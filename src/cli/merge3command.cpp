#include "cli/merge3command.h"

#include "cli/usage.h"
#include "engine/fileerror.h"
#include "engine/merge3.h"
#include "engine/runboth.h"
#include "engine/safewrite.h"
#include "engine/textencoding.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

namespace lindo {

namespace {

constexpr std::string_view kStandardOutputName = "-";
constexpr std::size_t kMaxLabels = 3;

struct Merge3Request {
    std::vector<std::string> paths;
    std::vector<std::string> labels; // -L, in the order of the files
    std::optional<std::string> output;
    std::string fallback = kDefaultFallbackEncoding; // --encoding
    bool diff3 = false;
};

// False on anything but three files and the known options.
bool ParseRequest(const std::vector<std::string_view> &args, Merge3Request &request)
{
    bool takingOptions = true;
    for (std::size_t n = 1; n < args.size(); ++n) {
        const std::string_view arg = args[n];
        const bool hasValue = n + 1 < args.size();
        if (!takingOptions || arg.size() < 2 || arg.front() != '-') {
            request.paths.emplace_back(arg);
        } else if (arg == "--") {
            takingOptions = false;
        } else if (arg == kDiff3Option) {
            request.diff3 = true;
        } else if (arg == kOutputOption && hasValue && !request.output) {
            request.output = std::string(args[++n]);
        } else if (arg == kLabelOption && hasValue && request.labels.size() < kMaxLabels) {
            request.labels.emplace_back(args[++n]);
        } else if (arg == kEncodingOption && hasValue) {
            const std::string name(args[++n]);
            if (!IsKnownEncoding(name)) {
                std::cerr << "lindo: unknown encoding: " << name << '\n';
                return false;
            }
            request.fallback = FallbackName(name);
        } else {
            return false;
        }
    }
    return request.paths.size() == 3;
}

// Reads the three files, FILE1 on a second thread; reports the first that
// cannot be read, as the two-file merge does.
bool ReadTexts(const Merge3Request &request, std::array<Merge3Text, 3> &texts)
{
    std::array<int, 3> errors{};
    RunBoth([&](std::size_t n) {
        for (std::size_t f = n == 0 ? 0 : 1; f < (n == 0 ? 1 : 3); ++f)
            errors[f] = ReadMerge3Text(request.paths[f], texts[f], request.fallback);
    });
    for (std::size_t f = 0; f < 3; ++f) {
        if (errors[f] != 0) {
            std::cerr << FileErrorMessage(CauseFromErrno(errors[f]), request.paths[f]) << '\n';
            return false;
        }
    }
    return true;
}

bool WriteToStandardOutput(const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                           const Merge3Labels &labels, bool diff3)
{
    const bool written = WriteMerge3Chunked(texts, result, labels, diff3, [](std::string_view bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    });
    if (!written || std::fflush(stdout) != 0) {
        std::cerr << FileErrorMessage(FileErrorCause::DiskFull, "/dev/stdout") << '\n';
        return false;
    }
    return true;
}

bool WriteToFile(const std::string &path, const std::array<const Merge3Text *, 3> &texts, const Merge3Result &result,
                 const Merge3Labels &labels, bool diff3)
{
    SafeFileWriter writer(path);
    std::optional<FileErrorCause> failure = writer.Open();
    if (!failure) {
        WriteMerge3Chunked(texts, result, labels, diff3, [&writer, &failure](std::string_view bytes) {
            failure = writer.Write(bytes);
            return !failure;
        });
    }
    if (!failure)
        failure = writer.Commit();
    if (failure) {
        std::cerr << writer.FailureMessage(*failure) << '\n';
        return false;
    }
    return true;
}

} // namespace

int RunMerge3Command(const std::vector<std::string_view> &args)
{
    Merge3Request request;
    if (!ParseRequest(args, request)) {
        std::cerr << kUsage;
        return kExitFailure;
    }
    // Left to the process's end to free, as the two-file merge leaves its
    // engine: handing the large blocks back one by one only costs time. A
    // static pointer keeps them reachable, so leak checkers stay quiet.
    static auto *const kept = new std::pair<std::array<Merge3Text, 3>, Merge3Result>;
    std::array<Merge3Text, 3> &texts = kept->first;
    if (!ReadTexts(request, texts))
        return kExitFailure;
    const std::array<const Merge3Text *, 3> views{&texts[0], &texts[1], &texts[2]};
    Merge3Result &result = kept->second;
    result = Merge3(views);
    Merge3Labels labels{request.paths[0], request.paths[1], request.paths[2]};
    for (std::size_t n = 0; n < request.labels.size(); ++n)
        (n == 0 ? labels.first : n == 1 ? labels.base : labels.second) = request.labels[n];
    const bool written = request.output && *request.output != kStandardOutputName
                             ? WriteToFile(*request.output, views, result, labels, request.diff3)
                             : WriteToStandardOutput(views, result, labels, request.diff3);
    if (!written)
        return kExitFailure;
    return result.conflicts > 0 ? kExitDifferent : kExitOk;
}

} // namespace lindo
