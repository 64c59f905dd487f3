#include "uikit/pathcombobox.h"

#include "settingsstore/settingsstore.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace lindo {

namespace {

bool CarriesLocalFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return false;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            return true;
    }
    return false;
}

} // namespace

CPathComboBox::CPathComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    // Choosing an entry only replaces the text: no completion rewriting what is typed.
    setCompleter(nullptr);
    // Files dropped from the desktop land on the box, not as text in its edit field.
    setAcceptDrops(true);
    lineEdit()->setAcceptDrops(false);
}

QString CPathComboBox::GetText() const
{
    return lineEdit()->text();
}

void CPathComboBox::SetText(const QString &text)
{
    lineEdit()->setText(text);
    m_exactPath.clear();
    m_exactText = QString();
}

void CPathComboBox::SetPath(const std::string &path)
{
    SetText(QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())));
    m_exactPath = path;
    m_exactText = GetText();
}

std::string CPathComboBox::GetPath() const
{
    const QString text = GetText();
    if (!m_exactText.isNull() && text == m_exactText)
        return m_exactPath;
    return text.toLocal8Bit().toStdString();
}

void CPathComboBox::AddToHistory()
{
    const QString text = GetText();
    int existing = -1;
    for (int index = 0; index < count(); ++index) {
        if (itemText(index).compare(text, Qt::CaseInsensitive) == 0) {
            existing = index;
            break;
        }
    }
    if (existing >= 0)
        removeItem(existing);
    else if (count() >= kMaxHistory)
        removeItem(count() - 1);
    insertItem(0, text);
    // The edit field shows exactly what was recorded, and still means the
    // bytes SetPath gave it.
    lineEdit()->setText(text);
}

void CPathComboBox::LoadHistory(const QString &valueName)
{
    const QStringList entries = SettingsStore().ReadList(valueName);
    addItems(entries);
    if (!entries.isEmpty())
        SetText(entries.constFirst());
}

void CPathComboBox::SaveHistory(const QString &valueName) const
{
    QStringList entries;
    for (int index = 0; index < count(); ++index)
        entries.push_back(itemText(index));
    SettingsStore().WriteList(valueName, entries);
}

void CPathComboBox::AdjustDroppedPath(QString &) const {}

void CPathComboBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (CarriesLocalFile(event->mimeData()))
        event->acceptProposedAction();
    else
        QComboBox::dragEnterEvent(event);
}

void CPathComboBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (CarriesLocalFile(event->mimeData()))
        event->acceptProposedAction();
    else
        QComboBox::dragMoveEvent(event);
}

void CPathComboBox::dropEvent(QDropEvent *event)
{
    if (!CarriesLocalFile(event->mimeData())) {
        QComboBox::dropEvent(event);
        return;
    }
    TakeDroppedUrls(event->mimeData()->urls());
    event->acceptProposedAction();
}

bool CPathComboBox::TakeDroppedUrls(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        QString path = url.toLocalFile();
        AdjustDroppedPath(path);
        SetText(path);
        return true;
    }
    return false;
}

} // namespace lindo
