#include "app/recoveryfile.h"

#include "engine/fileerror.h"
#include "engine/safewrite.h"
#include "engine/safewritefiles.h"
#include "uikit/comparedfileguard.h"
#include "uikit/filechoosers.h"
#include "uikit/prompt.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace lindo {

namespace {

constexpr char kFileName[] = "unsaved-merge.txt";
const QString kErrorCaption = QStringLiteral("Error");

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the kept text to a file the user chose; false after saying why not.
bool SaveRecoveredTo(QWidget *parent, const std::string &target, std::string_view bytes)
{
    SafeFileWriter writer(target);
    std::optional<FileErrorCause> failure = writer.Open();
    if (!failure)
        failure = writer.Write(bytes);
    if (!failure)
        failure = writer.Commit();
    if (failure)
        Ask(parent, kErrorCaption, QString::fromLocal8Bit(writer.FailureMessage(*failure)), PromptIcon::Stop);
    return !failure;
}

} // namespace

std::string RecoveryFilePath()
{
    const std::filesystem::path folder = safewrite::StateFolder();
    return folder.empty() ? std::string() : (folder / kFileName).string();
}

bool WriteRecoveryFile(const std::function<bool(const std::function<bool(std::string_view)> &)> &streamOut)
{
    const std::filesystem::path folder = safewrite::StateFolder();
    if (folder.empty())
        return false;
    std::error_code ignored; // a folder that cannot be made fails the open below
    std::filesystem::create_directories(folder.parent_path(), ignored);
    ::mkdir(folder.c_str(), 0700);
    // Whole or not at all: written beside it, then renamed over it.
    const std::string path = RecoveryFilePath();
    const std::string part = path + ".part";
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool written = streamOut([fd](std::string_view bytes) { return safewrite::WriteAll(fd, bytes); });
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(part.c_str(), path.c_str()) != 0) {
        ::unlink(part.c_str());
        return false;
    }
    return true;
}

void OfferRecoveredText(QWidget *parent)
{
    const std::string path = RecoveryFilePath();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return;
    if (Ask(parent, ApplicationTitle(), kRecoveredTextFormat.arg(QString::fromLocal8Bit(path)), PromptIcon::Question,
            PromptButtons::YesNo)
        != PromptAnswer::Yes)
        return;
    QString chosen;
    if (!ChooseFileToSave(chosen, kRecoveredSaveTitle, parent))
        return;
    const std::string target = chosen.toLocal8Bit().toStdString();
    if (MayWriteMergeTo(parent, target, {}) && SaveRecoveredTo(parent, target, ReadAll(path)))
        std::filesystem::remove(path, error);
}

} // namespace lindo
