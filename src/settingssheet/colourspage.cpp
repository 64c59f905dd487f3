#include "settingssheet/colourspage.h"

#include "engine/diffengine.h"
#include "uikit/choosers.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <optional>
#include <utility>

namespace lindo {

using namespace colourspage;

namespace {

QColor ToQColor(Colour colour)
{
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Colour FromQColor(const QColor &colour)
{
    return MakeColour(colour.red(), colour.green(), colour.blue());
}

} // namespace

CColoursPage::CColoursPage() : CPropertyPage(kCaption)
{
    auto *group = new QGroupBox(kGroupText, this);
    group->setGeometry(DluRect(7, 7, 162, 68));

    // Made after the group box and before the other controls, so it lies
    // between them.
    m_swatchLayer = new QWidget(this);
    m_swatchLayer->setGeometry(rect());
    m_swatchLayer->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_swatchLayer->installEventFilter(this);

    AddStatic(this, kIdenticalText, DluRect(27, 21, 30, 8));
    AddStatic(this, kDifferentText, DluRect(27, 38, 30, 8));
    AddStatic(this, kInsertedText, DluRect(27, 55, 28, 8));

    // The swatch statics never show: they only mark where the colours are painted.
    AddStatic(this, kSwatchText, DluRect(67, 19, 32, 12), kIdSwatchIdentical)->hide();
    AddStatic(this, kSwatchText, DluRect(67, 36, 32, 12), kIdSwatchDifferent)->hide();
    AddStatic(this, kSwatchText, DluRect(67, 54, 32, 11), kIdSwatchInserted)->hide();

    const auto addChange = [this](int id, int y, Colour &colour) {
        QPushButton *button = AddButton(this, id, kChangeText, DluRect(107, y, 50, 14));
        connect(button, &QPushButton::clicked, this, [this, &colour] { OnChange(colour); });
    };
    addChange(kIdChangeIdentical, 18, m_crIdentical);
    addChange(kIdChangeDifferent, 35, m_crDifferent);
    addChange(kIdChangeInserted, 52, m_crInserted);

    QPushButton *restore =
        AddButton(this, kIdRestoreDefaults, kRestoreDefaultsText, DluRect(9, 86, 72, 14));
    connect(restore, &QPushButton::clicked, this, &CColoursPage::OnRestoreDefaults);
}

void CColoursPage::DoDataExchange(bool)
{
    // The colours live in the fields only; painting shows them.
}

bool CColoursPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_swatchLayer && event->type() == QEvent::Paint)
        PaintSwatches();
    return CPropertyPage::eventFilter(watched, event);
}

void CColoursPage::PaintSwatches()
{
    QPainter painter(m_swatchLayer);
    const std::pair<int, Colour> swatches[] = {{kIdSwatchIdentical, m_crIdentical},
                                               {kIdSwatchDifferent, m_crDifferent},
                                               {kIdSwatchInserted, m_crInserted}};
    for (const auto &[id, colour] : swatches) {
        // The layer covers the page, so page and layer coordinates agree.
        if (const QWidget *swatch = FindControl(this, id))
            painter.fillRect(swatch->geometry(), ToQColor(colour));
    }
}

void CColoursPage::OnChange(Colour &colour)
{
    const std::optional<QColor> chosen =
        Choosers::Current().ChooseColour({window(), ToQColor(colour)});
    if (!chosen)
        return;
    colour = FromQColor(*chosen);
    update();
}

void CColoursPage::OnRestoreDefaults()
{
    m_crIdentical = DiffEngine::defaultColorIdentical;
    m_crDifferent = DiffEngine::defaultColorDifferent;
    m_crInserted = DiffEngine::defaultColorInserted;
    update();
}

} // namespace lindo
