#include "uikit/comparedfileguard.h"

#include "uikit/prompt.h"

#include <filesystem>

namespace lindo {

namespace {

std::filesystem::path FilePath(const QString &text)
{
    return std::filesystem::path(text.toLocal8Bit().toStdString());
}

} // namespace

bool IsComparedFile(const QString &target, const QStringList &compared)
{
    if (target.isEmpty())
        return false;
    for (const QString &file : compared) {
        if (file.isEmpty())
            continue;
        // A target that does not exist replaces nothing; errors count as "not the same".
        std::error_code error;
        if (std::filesystem::equivalent(FilePath(target), FilePath(file), error))
            return true;
    }
    return false;
}

bool MayWriteMergeTo(QWidget *parent, const QString &target, const QStringList &compared)
{
    if (!IsComparedFile(target, compared))
        return true;
    return Ask(parent, ApplicationTitle(), kReplaceComparedFileFormat.arg(target), PromptIcon::Question,
               PromptButtons::YesNo)
           == PromptAnswer::Yes;
}

} // namespace lindo
