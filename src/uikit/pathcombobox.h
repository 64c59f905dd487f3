#pragma once

// The editable drop-down box in which the user types, picks or drops a path.
// Its list is a most-recent-first history of the paths that were used,
// stored as one list value per box.

#include <QComboBox>
#include <QString>

#include <string>

namespace lindo {

class CPathComboBox : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kMaxHistory = 10;

    explicit CPathComboBox(QWidget *parent = nullptr);

    QString GetText() const;
    // Replaces the edit field's text; the list is unchanged.
    void SetText(const QString &text);

    // A file name is bytes, and not every byte string is text: SetPath shows
    // the path as best it can and GetPath gives back the very bytes for as
    // long as the edit field shows what SetPath put there. Otherwise GetPath
    // is the edit field's text in the local 8-bit encoding.
    void SetPath(const std::string &path);
    std::string GetPath() const;

    // Puts the current text at the top of the history (no duplicates, letter
    // case aside; at most ten entries unless the list was loaded longer).
    void AddToHistory();
    void LoadHistory(const QString &valueName);
    void SaveHistory(const QString &valueName) const;

    // A dropped path before it is shown; this box keeps it as it is.
    virtual void AdjustDroppedPath(QString &path) const;

    // Takes what was dropped on the box: the first local file only; the
    // history is not touched. False when nothing usable was dropped.
    bool TakeDroppedUrls(const QList<QUrl> &urls);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::string m_exactPath; // the bytes behind m_exactText
    QString m_exactText;     // null when no SetPath text is in force
};

} // namespace lindo
