// The path box: history order and limits, loading and saving through the
// store, and dropped files.

#include "settingsstore/settingsstore.h"
#include "support/testfiles.h"
#include "uikit/pathcombobox.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstdlib>

namespace lindo::test {
namespace {

QStringList Entries(const CPathComboBox &box)
{
    QStringList entries;
    for (int index = 0; index < box.count(); ++index)
        entries.push_back(box.itemText(index));
    return entries;
}

void Fill(CPathComboBox &box, const QStringList &entries)
{
    box.addItems(entries);
}

struct HistoryCase {
    const char *name;
    QStringList before;
    QString text;
    QStringList after;
};

void PrintTo(const HistoryCase &c, std::ostream *out)
{
    *out << c.name;
}

class AddToHistory : public testing::TestWithParam<HistoryCase> {};

TEST_P(AddToHistory, PutsTheTextOnTopWithoutDuplicates)
{
    const HistoryCase &c = GetParam();
    CPathComboBox box;
    Fill(box, c.before);
    box.SetText(c.text);
    box.AddToHistory();
    EXPECT_EQ(Entries(box), c.after);
    EXPECT_EQ(box.GetText(), c.text);
}

QStringList Numbered(int count, const QString &prefix)
{
    QStringList entries;
    for (int n = 0; n < count; ++n)
        entries.push_back(prefix + QString::number(n));
    return entries;
}

INSTANTIATE_TEST_SUITE_P(
    PathBox, AddToHistory,
    testing::Values(
        HistoryCase{"UsedAgainMovesToTheTop", {"/a.txt", "/b.txt"}, "/b.txt", {"/b.txt", "/a.txt"}},
        HistoryCase{"OtherLetterCaseReplacesTheOldSpelling", {"/Data/a.txt"}, "/data/A.TXT", {"/data/A.TXT"}},
        HistoryCase{"TenEntriesDropTheLast", Numbered(10, "/f"), "/new",
                    QStringList{"/new"} + Numbered(9, "/f")},
        HistoryCase{"APrefixIsNotADuplicate", {"/a.txt"}, "/a.txt.bak", {"/a.txt.bak", "/a.txt"}},
        HistoryCase{"EmptyTextIsRecorded", {"/a.txt"}, "", {"", "/a.txt"}},
        HistoryCase{"ALongerLoadedListKeepsItsLength", Numbered(12, "/g"), "/h",
                    QStringList{"/h"} + Numbered(11, "/g")}),
    [](const testing::TestParamInfo<HistoryCase> &info) { return std::string(info.param.name); });

class StoredHistory : public testing::Test {
protected:
    void SetUp() override { setenv("LINDO_SETTINGS_FILE", (dir / "settings.ini").c_str(), 1); }
    void TearDown() override { unsetenv("LINDO_SETTINGS_FILE"); }
    TempDir dir;
};

TEST_F(StoredHistory, LoadDropsEmptyPiecesAndShowsTheFirstEntry)
{
    SettingsStore().WriteText("FilePath1", ",x,,y,");
    CPathComboBox box;
    box.LoadHistory("FilePath1");
    EXPECT_EQ(Entries(box), (QStringList{"x", "y"}));
    EXPECT_EQ(box.GetText(), "x");
}

TEST_F(StoredHistory, NothingStoredLeavesTheBoxEmpty)
{
    CPathComboBox box;
    box.LoadHistory("FilePath2");
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(box.GetText(), "");
}

TEST_F(StoredHistory, SaveWritesTheListNotTheEditField)
{
    CPathComboBox box;
    Fill(box, {"/one", "/two"});
    box.SetText("/typed but never compared");
    box.SaveHistory("FilePath1");
    EXPECT_EQ(SettingsStore().ReadText("FilePath1").value_or("<none>"), "/one,/two,");

    CPathComboBox restored;
    restored.LoadHistory("FilePath1");
    EXPECT_EQ(Entries(restored), (QStringList{"/one", "/two"}));
}

TEST_F(StoredHistory, AnEntryWithACommaComesBackAsTwo)
{
    CPathComboBox box;
    box.SetText("/odd,name");
    box.AddToHistory();
    box.SaveHistory("FilePath1");
    CPathComboBox restored;
    restored.LoadHistory("FilePath1");
    EXPECT_EQ(Entries(restored), (QStringList{"/odd", "name"}));
}

// Qt delivers drop events only during a real drag, so tests hand the box
// its drop directly.
class DropBox : public CPathComboBox {
public:
    void Drop(const QList<QUrl> &urls)
    {
        QMimeData mime;
        mime.setUrls(urls);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        dropEvent(&drop);
        EXPECT_TRUE(drop.isAccepted());
    }
};

// A folder box's adjustment, to check the drop goes through it.
class FolderBox : public DropBox {
public:
    void AdjustDroppedPath(QString &path) const override { path = path.left(path.lastIndexOf('/')); }
};

TEST(DroppedFiles, OnlyTheFirstFileIsTakenAndTheHistoryIsUntouched)
{
    DropBox box;
    Fill(box, {"/kept"});
    box.SetText("/before");
    box.Drop({QUrl::fromLocalFile("/first/a.txt"), QUrl::fromLocalFile("/second/b.txt"),
               QUrl::fromLocalFile("/third/c.txt")});
    EXPECT_EQ(box.GetText(), "/first/a.txt");
    EXPECT_EQ(Entries(box), (QStringList{"/kept"}));
    EXPECT_TRUE(box.acceptDrops());
    EXPECT_FALSE(box.lineEdit()->acceptDrops()); // the box, not its edit field, takes the drop
}

TEST(DroppedFiles, AFolderBoxAdjustsTheDroppedPath)
{
    FolderBox box;
    box.Drop({QUrl::fromLocalFile("/data/tree/file.txt")});
    EXPECT_EQ(box.GetText(), "/data/tree");
}

TEST(PathBox, ChoosingAnEntryOnlyReplacesTheText)
{
    CPathComboBox box;
    Fill(box, {"/one", "/two"});
    box.SetText("/typed");
    box.setCurrentIndex(1);
    EXPECT_EQ(box.GetText(), "/two");
    EXPECT_EQ(Entries(box), (QStringList{"/one", "/two"}));
}

} // namespace
} // namespace lindo::test
