// Qt's file dialog behind the shared file chooser, driven as a user would.

#include "support/modaldialog.h"
#include "support/testfiles.h"
#include "uikit/choosers.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace lindo::test {
namespace {

// Opens the chooser in `folder`, types `name` and presses Enter; any
// question that pops up on top is recorded and declined.
struct ChooserRun {
    std::optional<QString> chosen;
    bool saveMode = false;
    bool questionAsked = false;
};

ChooserRun ChooseByTyping(const QString &folder, const QString &name)
{
    ChooserRun run;
    ModalDialogDriver driver([&run, name](QDialog &dialog) {
        auto *files = qobject_cast<QFileDialog *>(&dialog);
        ASSERT_NE(files, nullptr);
        // The mode is all the GTK dialog and the portal go by: in open mode
        // they refuse a name that does not exist yet.
        run.saveMode = files->acceptMode() == QFileDialog::AcceptSave;
        auto *edit = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(name);
        auto asked = std::make_shared<bool>(false);
        const ModalDialogDriver question([asked](QDialog &box) {
            if (qobject_cast<QMessageBox *>(&box)) {
                *asked = true;
                box.reject();
            }
        }, 500);
        QTest::keyClick(edit, Qt::Key_Return);
        run.questionAsked = *asked;
        if (files->isVisible())
            files->reject();
    });
    FileChooserRequest request;
    request.initialDirectory = folder;
    request.title = QStringLiteral("Save As");
    request.filters = {QStringLiteral("All Files (*)")};
    run.chosen = Choosers::Current().ChooseFile(request);
    EXPECT_TRUE(driver.Handled());
    return run;
}

TEST(FileChooser, TakesANewNameOnEveryDialogAndAnExistingOneWithoutAQuestion)
{
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const ChooserRun fresh = ChooseByTyping(folder, QStringLiteral("new.txt"));
    EXPECT_TRUE(fresh.saveMode);
    EXPECT_EQ(fresh.chosen.value_or(QString()), folder + "/new.txt");

    WriteFile(dir / "old.txt", "kept\n");
    const ChooserRun existing = ChooseByTyping(folder, QStringLiteral("old.txt"));
    EXPECT_FALSE(existing.questionAsked);
    EXPECT_EQ(existing.chosen.value_or(QString()), folder + "/old.txt");
    EXPECT_EQ(ReadFile(dir / "old.txt"), "kept\n");
}

} // namespace
} // namespace lindo::test
