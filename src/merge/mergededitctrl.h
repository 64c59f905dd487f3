#pragma once

// The Merged window's text area: plain, editable text in a fixed-pitch font,
// never wrapped. It takes bytes in and gives bytes back without losing any
// (see merge/bytetext.h); bytes that are not text are drawn as small marks.
//
// A long text is taken in slices: the first slice before StreamIn returns,
// the others whenever the event loop is idle, so the window can be shown and
// used at once. A key or paste at the end of what has arrived, or a key that
// moves there, takes in the rest at once, so an edit always lands where it
// would in the whole text.
//
// The text is never cut to a length: whatever is taken in can be written
// back whole, and typing is never refused.

#include <QPlainTextEdit>
#include <QTimer>

#include <functional>
#include <string>
#include <string_view>

class QTextBlock;

namespace lindo {

class CMergedDialog;

namespace mergededit {
inline const QString kFontFace = QStringLiteral("Courier New");
constexpr qreal kFontPoints = 8.5;
// Bytes taken in per slice; a slice ends after a line feed.
constexpr std::size_t kSliceBytes = 64 * 1024;
} // namespace mergededit

class CMergedEditCtrl : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CMergedEditCtrl(QWidget *parent = nullptr);

    // Told after every key press and left-button press; may be null.
    CMergedDialog *m_pOwner = nullptr;

    // Replaces the whole text with the text of these bytes.
    void StreamIn(std::string bytes);
    bool IsStreamingIn() const { return !m_pending.empty(); }
    // Takes in whatever StreamIn has not taken in yet.
    void FinishStreamingIn();

    // Hands the bytes of the whole text, in order and in pieces, to `sink`
    // until it returns false; true when every piece was taken. Finishes the
    // streaming in first.
    bool StreamOut(const std::function<bool(std::string_view)> &sink);

    // Whether the user changed the text since it was taken in or last saved.
    bool IsEdited() const;
    // The text as it is now counts as saved.
    void MarkSaved();

    // Zero-based line of the caret.
    int CaretLine() const { return textCursor().blockNumber(); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void StreamNextSlice();
    void PaintByteMarks(QPainter &painter, const QTextBlock &block, QPointF origin) const;

    std::string m_pending;       // bytes not yet taken in
    std::size_t m_pendingAt = 0; // how far they were taken in
    QTimer m_streamTimer;
};

} // namespace lindo
