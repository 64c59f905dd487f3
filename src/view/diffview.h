#pragma once

// One side of a comparison in a scrolling pane: every line with its 0-based
// number, coloured by its state, a separator at the top of every section and
// a bar beside every selected section; with the engine's showLineChanges on,
// a tint behind the characters that differ within paired changed lines. Two
// panes (side 1 left, side 2 right) live in a window implementing
// DiffViewHost and scroll together so that linked lines stay level.
//
// Coordinates are document pixels: line i occupies y = i * lineHeight up to
// (i + 1) * lineHeight, and document = scroll position + viewport position.

#include "engine/linechanges.h"
#include "uikit/columnindex.h"
#include "uikit/textsearch.h"
#include "view/diffviewhost.h"
#include "view/linechangecache.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QPoint>
#include <QSize>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

class QMenu;

namespace lindo {

class DiffEngine;
struct DiffSection;

// The section context menu and the view's own texts.
inline constexpr int kSectionMenuResource = 130;
inline constexpr int kCommandCopySection = 32771;
inline constexpr int kCommandSectionProperties = 32772;
inline constexpr char kSectionMenuName[] = "cm1";
inline constexpr char kCopySectionText[] = "&Copy";
inline constexpr char kCopySectionTip[] = "Copies the section to the clipboard.";
inline constexpr char kSectionPropertiesText[] = "&Properties";
inline constexpr char kSectionPropertiesTip[] = "View this sections properies";
inline constexpr char kNoMoreChangesText[] = "No more changes";

// Document geometry and drawing constants. The document is as wide as the
// longest line of either side needs, and never narrower than kDocumentWidth.
inline constexpr int kDocumentWidth = 2000;
inline constexpr int kDocumentExtraHeight = 5; // below the last line
inline constexpr int kTextLeft = 10;           // line numbers start here; also the tab origin
inline constexpr int kTabStopCount = 5;
inline constexpr int kTabStopChars = 4; // tab stops every 4 character widths
inline constexpr int kSelectionBarLeft = 3;
inline constexpr int kSelectionBarWidth = 3;

// The colour painted behind the differing characters of a paired changed
// line: the line's text colour blended into the pane's background, a fifth
// text and four fifths background (dark red on white gives a pale pink), so
// the text drawn over it keeps nearly all its contrast.
QColor LineChangeTint(const QColor &text, const QColor &background);

class CDiffView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CDiffView(QWidget *parent = nullptr);
    ~CDiffView() override;

    // Shows `side` (1 or 2) of the engine; the engine is not owned and must
    // outlive the view's use of it.
    void Attach(int side, DiffEngine &engine);

    // Total size from this side's line count and the longest line of either
    // side, page from the viewport, line step from the font; does nothing
    // before the engine's first comparison. Called after every comparison: a
    // scroll position past the new document is brought back inside it.
    void UpdateScrollSizes();

    // The engine's section holding `line` on this view's side, -1 for none.
    int SectionOfLine(int line) const;

    // Plain pixel scroll mapping. A zero page step becomes a tenth of the
    // total, a zero line step a tenth of the page step.
    void SetScrollSizes(QSize total, QSize page = {}, QSize line = {});
    QSize TotalSize() const { return m_totalSize; }
    QSize PageSize() const { return m_pageSize; }
    QSize LineSize() const { return m_lineSize; }

    // Scroll positions, in document pixels.
    QPoint ScrollPosition() const { return m_scrollPos; }
    // Moves straight to a position (clamped to the range), without moving
    // the sibling pane.
    void ScrollToPosition(QPoint position);
    // Scrolls by a distance and takes the sibling pane along; every scroll
    // the user makes (bars, wheel, keys) comes through here. Returns whether
    // this view moved.
    bool OnScrollBy(int dx, int dy);
    // Where the sibling goes when this view scrolls by (dx, dy) from where it is now.
    QPoint SyncTarget(int dx, int dy) const;

    // Change navigation.
    void GoNextChange();
    void GoPrevChange();
    void ScrollToLine(int line, bool alignOther);
    void AlignOther();
    int MiddleLine() const;
    int HitTest(int x, int y) const; // viewport point -> section, -1 for none
    int NextChangeLine() const;
    int PrevChangeLine() const;

    // Finding text in this side's lines, by their bytes (uikit/textsearch.h).
    TextMatch FindText(const QString &text, bool matchCase, int line, std::size_t byte, bool forward) const;
    // Marks a found text in a line until the mark is cleared or a new
    // comparison comes in.
    void MarkMatch(const TextMatch &match);
    void ClearMatch();
    // Scrolls sideways, the other pane along, when the marked text lies
    // outside the pane's width.
    void ScrollMatchIntoView();
    const TextMatch &MarkedMatch() const { return m_match; }

    // Section commands, normally reached through the mouse.
    void OnContextMenu(QPoint globalPos);
    void OnCopy();
    void OnProperties();
    void OnDoubleClick(QPoint viewportPos);

    CDiffView *Sibling() const;
    DiffEngine *Engine() const { return engine; }
    int Side() const { return side; }
    int LineHeight() const { return lineHeight; }
    int CharWidth() const { return charWidth; }
    int CurrentSection() const { return currentSection; }
    const QFont &ViewFont() const { return viewFont; }
    QMenu *SectionMenu() const { return m_sectionMenu; }
    // What the pane is painted on: white, or the palette's base colour when
    // that is light, so the default text colours stay readable on any theme.
    QColor BackgroundColour() const;
    // What separators and selection bars are drawn in.
    QColor MarkColour() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Besides scrolling, keys and clicks move the accessible caret line.
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // Where a line's text reaches: every character takes its cells of
    // charWidth pixels (uikit/textcells.h: two for a wide one), a tab runs to
    // the next multiple of kTabStopChars cells.
    // Lines longer than kColumnMarkBytes keep a column mark about every
    // kColumnMarkBytes bytes (cells counted from the start of the line's
    // text), so that the part of a line in view is found without walking all
    // of it. The texts do not change under a pane: the marks of a line are
    // taken whole, and again only when the line's text is another.
    static constexpr std::size_t kColumnMarkBytes = 4096;
    struct LineColumns {
        const char *data = nullptr; // the text the marks were taken from
        std::size_t size = 0;
        ColumnIndex marks{kColumnMarkBytes};
        qint64 end = 0; // the column after the last character
    };

    void OnDraw(QPainter &painter, const QRect &area);
    void DrawLines(QPainter &painter, const QRect &area);
    void DrawLineText(QPainter &painter, int line, std::string_view text, qint64 textColumn, int baseline,
                      const QRect &area);
    const LineColumns *ColumnsOf(int line, std::string_view text);
    // Recomputes the widest line when `fresh` and the engine holds texts
    // loaded since it was last measured, else reuses the figure taken then.
    void ApplyScrollSizes(bool fresh);
    int CellWidth() const;
    // Fills m_sideReach for the engine's texts, from the sibling when it has
    // measured them already.
    void MeasureSides();
    qint64 SideReach(int s) const;
    void DrawSectionMarks(QPainter &painter, const QRect &area);
    void DrawMatchMark(QPainter &painter, std::string_view text, qint64 textColumn);
    // The column (from the start of the line's text) where the character
    // `byte` falls in starts, or with `after` the first character at or after
    // `byte`, by way of the line's nearest column mark.
    qint64 ColumnOfByte(int line, std::string_view text, std::size_t byte, bool after);
    // Fills the cells of the bytes [begin, end) of a line, as far as they
    // lie in the pane's width; the painter is in viewport columns.
    void FillByteSpan(QPainter &painter, int line, std::string_view text, qint64 textColumn, std::size_t begin,
                      std::size_t end, const QColor &colour);
    // Tints the differing characters of a paired changed line, those in view.
    void DrawLineChanges(QPainter &painter, int line, std::string_view text, qint64 textColumn,
                         const QColor &textColour, const QRect &area);
    // The differing bytes of a paired line, found once and kept until the
    // texts, the comparison or the options change.
    const std::vector<ByteSpan> &ChangesOf(int line, int paired);
    void MeasureFont();
    void UpdateBars();
    void ScrollSibling(int dx, int dy);
    int LineCount() const;
    int ClientHeight() const;
    void CreateSectionMenu();
    // Document distances are computed wide; scroll positions are int.
    static int ClampToInt(qint64 pixels);
    void GoToChange(int own, int other, bool otherWins);
    // The accessible caret on `line`, kept within the lines in view.
    void MoveCaretLine(int line);
    const DiffSection *CurrentSectionRecord() const;

    DiffEngine *engine = nullptr; // not owned
    int side = 0;
    int lineSpacing = 0;
    bool syncScroll = true;
    int lineHeight = 0;
    int charWidth = 0;
    int currentSection = -1;
    QFont viewFont;

    QSize m_totalSize;
    QSize m_pageSize;
    QSize m_lineSize;
    // The position the view shows. It trails the scroll bars while a user
    // scroll is being handled, so the coupling sees where the view came from.
    QPoint m_scrollPos;
    // Set while the view moves itself: bar changes then never reach the sibling.
    bool m_positioning = false;
    QMenu *m_sectionMenu = nullptr; // child of this view
    int m_documentWidth = kDocumentWidth;
    int m_contentWidth = 0; // what the widest line of either side reaches
    bool m_documentWidthKnown = false;
    // Where each side's widest line reaches, and the engine load it was
    // measured for: measuring a million lines is paid once per comparison,
    // not once per pane and per call.
    std::array<qint64, 2> m_sideReach{};
    const DiffEngine *m_measuredEngine = nullptr;
    std::uint64_t m_measuredLoad = 0;
    std::unordered_map<int, LineColumns> m_lineColumns; // long lines of this side, by index
    TextMatch m_match; // the found text that is marked, if any
    // The changes within the lines painted so far; both panes fill each
    // other's, as one finding serves both lines of a pair.
    LineChangeCache m_lineChanges;
};

} // namespace lindo
