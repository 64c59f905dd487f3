#pragma once

// The Folder Comparison window's result list: one row per admitted relative
// path, in the order admitted, with the path, the state's picture and the
// state's text. Rows are admitted by a FolderRowList kept beside the widget,
// and the widget shows exactly those rows.

#include "folderscan/folderrowlist.h"
#include "folderscan/folderstate.h"

#include <QIcon>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace lindo {

class DiffEngine;

class CFolderListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // The engine holds the exception strings the admission test reads; not owned.
    CFolderListCtrl(const DiffEngine &engine, QWidget *parent = nullptr);
    ~CFolderListCtrl() override;

    // Admits and appends a row (see FolderRowList::AddRow); with `overlay`
    // the row's picture also carries the overlay mark. The new row's index,
    // or -1 when the row was refused.
    int AddRow(const std::string &relativePath, FolderState state, bool overlay);
    void DeleteAllItems();
    // Every admitted row, those still held back included.
    int GetItemCount() const { return m_rows.Count(); }

    // While rows are held back, admitted rows wait and reach the widget
    // together at ShowHeldRows: each insertion makes the view lay out all its
    // rows again and repaint, which for a long list costs far more than
    // finding the row. Ending the hold shows the rows still waiting.
    void HoldRows(bool hold);
    void ShowHeldRows();
    int HeldRowCount() const { return static_cast<int>(m_held.size()); }

    // The relative path of a row, byte for byte as the scan offered it.
    const std::string &RelativePath(int row) const { return m_rows.Row(row).relativePath; }
    FolderState State(int row) const { return m_rows.Row(row).state; }
    // The rows currently selected, in list order.
    std::vector<int> SelectedRows() const;

    // The width the State column needs to show the longest state text whole,
    // with its picture, in the list's font and style.
    int StateColumnWidthNeeded() const;

    // Picture `index` of the image list: the states' pictures, then the overlay mark.
    const QIcon &Image(int index) const { return m_images[static_cast<std::size_t>(index)]; }
    static constexpr int kOverlayImage = kFolderStateCount;

signals:
    // Any double-click on the list, on a row or not.
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void BuildImageList();
    QIcon WithOverlay(const QIcon &icon) const;

    FolderRowList m_rows;
    std::vector<QIcon> m_images;
    bool m_holding = false;
    QList<QTreeWidgetItem *> m_held; // owned until shown
};

} // namespace lindo
