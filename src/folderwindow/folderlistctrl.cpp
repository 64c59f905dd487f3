#include "folderwindow/folderlistctrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <algorithm>
#include <iterator>

namespace lindo {

namespace {

constexpr int kImageSize = 16;

// The pictures of the states, by state value, then the overlay mark.
constexpr const char *kImageFiles[] = {
    ":/folders/same.png",     ":/folders/only-in-1.png", ":/folders/only-in-2.png",
    ":/folders/newer-1.png",  ":/folders/newer-2.png",   ":/folders/same-time.png",
    ":/folders/same-time.png", ":/folders/same-time.png", ":/folders/same-time.png",
    ":/folders/same-time.png", ":/folders/same-time.png", ":/folders/same-time.png",
    ":/folders/same-time.png", ":/folders/same-time.png",
};
static_assert(std::size(kImageFiles) == CFolderListCtrl::kOverlayImage + 1);

} // namespace

CFolderListCtrl::CFolderListCtrl(const DiffEngine &engine, QWidget *parent)
    : QTreeWidget(parent)
    , m_rows(engine)
{
    setRootIsDecorated(false);
    setSortingEnabled(false); // rows stay in the order they were admitted
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(kImageSize, kImageSize));
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    BuildImageList();
}

CFolderListCtrl::~CFolderListCtrl()
{
    qDeleteAll(m_held);
}

void CFolderListCtrl::BuildImageList()
{
    for (const char *file : kImageFiles)
        m_images.emplace_back(QString::fromLatin1(file));
}

int CFolderListCtrl::StateColumnWidthNeeded() const
{
    int widest = 0;
    for (int state = 0; state < kFolderStateCount; ++state) {
        const std::string_view text = FolderStateText(static_cast<FolderState>(state));
        widest = std::max(widest, fontMetrics().horizontalAdvance(
                                      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()))));
    }
    // The item view keeps a margin on both sides of the picture and of the
    // text (the focus frame's margin and one pixel).
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return widest + iconSize().width() + 4 * margin;
}

QIcon CFolderListCtrl::WithOverlay(const QIcon &icon) const
{
    QPixmap picture = icon.pixmap(kImageSize, kImageSize);
    QPainter painter(&picture);
    Image(kOverlayImage).paint(&painter, picture.rect());
    painter.end();
    return QIcon(picture);
}

int CFolderListCtrl::AddRow(const std::string &relativePath, FolderState state, bool overlay)
{
    const int row = m_rows.AddRow(relativePath, state);
    if (row < 0)
        return -1;
    auto *item = new QTreeWidgetItem(
        {QString::fromLocal8Bit(relativePath), QString::fromLocal8Bit(FolderStateText(state))});
    const QIcon &picture = Image(static_cast<int>(state));
    item->setIcon(0, overlay ? WithOverlay(picture) : picture);
    if (m_holding)
        m_held.append(item);
    else
        addTopLevelItem(item);
    return row;
}

void CFolderListCtrl::HoldRows(bool hold)
{
    m_holding = hold;
    if (!hold)
        ShowHeldRows();
}

void CFolderListCtrl::ShowHeldRows()
{
    if (m_held.isEmpty())
        return;
    addTopLevelItems(m_held);
    m_held.clear();
}

void CFolderListCtrl::DeleteAllItems()
{
    qDeleteAll(m_held);
    m_held.clear();
    clear();
    m_rows.Clear();
}

std::vector<int> CFolderListCtrl::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CFolderListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

} // namespace lindo
