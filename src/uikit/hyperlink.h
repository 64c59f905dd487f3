#pragma once

// A static text that behaves as a link: drawn in link colours with an
// underlined copy of its font, a hand cursor and a tooltip naming the target;
// a click or the Space key opens the target, after which the link shows
// itself as visited.

#include <QColor>
#include <QFont>
#include <QLabel>

#include <cstdint>
#include <optional>

namespace lindo {

// Bits of CHyperLink::LinkStyle().
inline constexpr std::uint32_t LinkUnderline = 0x01;      // the font is underlined
inline constexpr std::uint32_t LinkHoverColour = 0x02;    // hover colour under the mouse
inline constexpr std::uint32_t LinkFitToText = 0x04;      // the control shrinks to its text
inline constexpr std::uint32_t LinkOpenOnPress = 0x08;    // open on button down, not up
inline constexpr std::uint32_t LinkFocusOnClick = 0x10;   // a button press takes the focus
inline constexpr std::uint32_t LinkNoHandCursor = 0x20;   // the hand cursor is not loaded
inline constexpr std::uint32_t LinkNoActiveColour = 0x40; // the active colour is never used

inline constexpr std::uint32_t kDefaultLinkStyle = LinkUnderline | LinkFitToText | LinkFocusOnClick;

inline const QColor kLinkUnvisitedColour{0, 0, 255};
inline const QColor kLinkActiveColour{0, 128, 128};
inline const QColor kLinkVisitedColour{128, 0, 128};
inline const QColor kLinkHoverColour{255, 0, 0};

// A failed launch is reported as this prefix followed by the explanation.
inline constexpr char kLinkErrorPrefix[] = "Can't open link:\n\n";

class CHyperLink : public QLabel {
    Q_OBJECT

public:
    explicit CHyperLink(QWidget *parent = nullptr);
    ~CHyperLink() override;

    // Attach-time setup. The owner calls it once, after giving the control
    // its template text, rectangle, font and alignment: the target defaults
    // to the text (and an empty text shows the target), the font gets its
    // underline, the control fits its text and the tooltip is made.
    void PreSubclassWindow();

    // Both do nothing to the control before PreSubclassWindow has run, except
    // that SetLinkTarget stores the target.
    void SetLinkTarget(const QString &target);
    void SetLinkCaption(const QString &caption);

    void OpenLinkTarget();
    // Opens the target through the installed LinkLauncher; returns
    // kLaunchStarted or a launch error code (launcherror.h).
    static int LaunchTarget(const QString &target);
    void ReportLaunchError(int code);
    void ResizeToText();
    static void LoadLinkCursor();

    std::uint32_t LinkStyle() const { return m_dwLinkStyle; }
    // Takes effect for the font, the size and the cursor at the next
    // PreSubclassWindow; the colour bits at once.
    void SetLinkStyle(std::uint32_t style);
    const QString &LinkTarget() const { return m_strTarget; }
    bool IsLaunched() const { return m_bLaunched; }
    // The colour the text is drawn in, from the state and the style.
    QColor TextColour() const;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool HasStyle(std::uint32_t bit) const { return (m_dwLinkStyle & bit) != 0; }
    void Redraw();
    void ApplyLinkCursor();

    bool m_bActive = false;
    bool m_bMouseOver = false;
    bool m_bLaunched = false;
    std::uint32_t m_dwLinkStyle = kDefaultLinkStyle;
    QString m_strTarget;
    QFont m_fontLink;
    bool m_bAttached = false;

    // Loaded once by the first link that wants it, kept for the program's
    // life. A shape rather than a QCursor, which must not outlive the application.
    static std::optional<Qt::CursorShape> s_hHandCursor;
};

} // namespace lindo
