#include "uikit/comparedfileguard.h"

#include "uikit/prompt.h"

#include <filesystem>

namespace lindo {

namespace {

// Errors (one of them does not exist, say) count as "not the same file".
bool SameFile(const std::string &a, const std::string &b)
{
    if (a.empty() || b.empty())
        return false;
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

bool AnswersYes(QWidget *parent, const QString &format, const std::string &target)
{
    return Ask(parent, ApplicationTitle(), format.arg(QString::fromLocal8Bit(target)), PromptIcon::Question,
               PromptButtons::YesNo, PromptAnswer::No)
           == PromptAnswer::Yes;
}

} // namespace

bool IsComparedFile(const std::string &target, const std::vector<std::string> &compared)
{
    for (const std::string &file : compared) {
        if (SameFile(target, file))
            return true;
    }
    return false;
}

bool MayWriteMergeTo(QWidget *parent, const std::string &target, const std::vector<std::string> &compared,
                     const std::string &ownFile)
{
    if (IsComparedFile(target, compared))
        return AnswersYes(parent, kReplaceComparedFileFormat, target);
    // Pipes and devices are written into, not replaced: nothing is lost there.
    std::error_code error;
    const bool replaces = std::filesystem::is_regular_file(std::filesystem::path(target), error);
    if (!replaces || SameFile(target, ownFile))
        return true;
    return AnswersYes(parent, kReplaceExistingFileFormat, target);
}

} // namespace lindo
