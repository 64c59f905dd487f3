#include "view/sectionpropertiesdialog.h"

#include "engine/diffengine.h"
#include "uikit/controlid.h"
#include "uikit/dialogunits.h"
#include "uikit/templatecontrols.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>

namespace lindo {

namespace {

struct SectionTexts {
    QString number;
    QString status;
    QString firstLine;
    QString link;
};

// `first` of section `index` of a list, as text; empty for an index the
// list does not hold.
QString FirstLineOf(const std::vector<DiffSection> &sections, int index)
{
    if (index < 0 || index >= static_cast<int>(sections.size()))
        return {};
    return QString::number(sections[static_cast<std::size_t>(index)].first);
}

SectionTexts Describe(const DiffEngine &engine, int side, int sectionIndex)
{
    const auto &own = engine.Sections(side == 1 ? 1 : 2);
    const auto &other = engine.Sections(side == 1 ? 2 : 1);
    SectionTexts texts;
    if (sectionIndex < 0 || sectionIndex >= static_cast<int>(own.size()))
        return texts;
    const DiffSection &section = own[static_cast<std::size_t>(sectionIndex)];
    texts.number = QString::number(sectionIndex);
    texts.firstLine = QString::number(section.first);
    switch (StatusOf(section)) {
    case SectionStatus::Matching:
        texts.status = QString::fromLatin1(kSectionStatusMatching);
        texts.link = FirstLineOf(other, section.partner);
        break;
    case SectionStatus::Different:
        texts.status = QString::fromLatin1(kSectionStatusDifferent);
        texts.link = FirstLineOf(other, section.partner);
        break;
    case SectionStatus::OnlyInThisFile:
        texts.status = QString::fromLatin1(kSectionStatusOnlyHere);
        texts.link = section.above < static_cast<int>(other.size())
                         ? QString::fromLatin1(kSectionLinkAbove).arg(FirstLineOf(other, section.above))
                         : QString::fromLatin1(kSectionLinkEnd);
        break;
    case SectionStatus::None:
        break;
    }
    return texts;
}

QLineEdit *AddReadOnlyEdit(QWidget *parent, int id, QRect rect)
{
    auto *edit = new QLineEdit(parent);
    SetControlId(edit, id);
    edit->setReadOnly(true);
    edit->setGeometry(rect);
    return edit;
}

// The label texts were laid out for the template's 8-point font; a wider
// desktop font may need more room, which each label has up to its field.
QLabel *AddLabel(QWidget *parent, const char *text, QRect rect)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
    label->setGeometry(rect);
    return label;
}

// Closest to the template's "MS Sans Serif" 8 pt that the desktop has.
QFont TemplateFont(QFont font)
{
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    return font;
}

} // namespace

CSectionPropertiesDialog::CSectionPropertiesDialog(const DiffEngine *engine, int side, int section,
                                                   QWidget *parent)
    : QDialog(parent)
    , m_pEngine(engine)
    , m_nSide(side)
    , m_nSection(section)
{
    setWindowTitle(QString::fromLatin1(kSectionPropertiesTitle));
    setFont(TemplateFont(font()));
    setFixedSize(DluSize(168, 135));
    CreateControls();
    OnInitDialog();
}

void CSectionPropertiesDialog::CreateControls()
{
    AddLabel(this, "Number:", DluRect(13, 27, 28, 8));
    AddReadOnlyEdit(this, kIdSectionNumber, DluRect(49, 27, 40, 12))->setAccessibleName(QStringLiteral("Number"));
    AddLabel(this, "Status:", DluRect(13, 42, 23, 8));
    AddReadOnlyEdit(this, kIdSectionStatus, DluRect(49, 42, 97, 12))->setAccessibleName(QStringLiteral("Status"));
    AddLabel(this, "First Line:", DluRect(13, 56, 31, 8));
    AddReadOnlyEdit(this, kIdSectionFirstLine, DluRect(49, 56, 30, 12))->setAccessibleName(QStringLiteral("First Line"));
    AddLabel(this, "Link:", DluRect(83, 56, 16, 8));
    AddReadOnlyEdit(this, kIdSectionLink, DluRect(103, 56, 51, 12))->setAccessibleName(QStringLiteral("Link"));
    AddLabel(this, "Static", DluRect(55, 90, 19, 8))->hide();

    QPushButton *close =
        AddDefaultButton(this, kIdSectionClose, QStringLiteral("Close"), DluRect(113, 117, 50, 14));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    QPushButton *cancel =
        AddButton(this, kIdSectionCancel, QStringLiteral("Cancel"), DluRect(53, 117, 50, 14));
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The tab control frames the fields: last in the tab order, beneath them all.
    auto *tabs = new QTabWidget(this);
    SetControlId(tabs, kIdSectionTab);
    tabs->setGeometry(DluRect(4, 3, 159, 110));
    tabs->lower();
}

void CSectionPropertiesDialog::OnInitDialog()
{
    auto *tabs = FindControl<QTabWidget>(this, kIdSectionTab);
    tabs->insertTab(0, new QWidget, QString::fromLatin1(kSectionTabText));
    tabs->setCurrentIndex(0);
    if (!m_pEngine)
        return;
    const SectionTexts texts = Describe(*m_pEngine, m_nSide, m_nSection);
    FindControl<QLineEdit>(this, kIdSectionNumber)->setText(texts.number);
    FindControl<QLineEdit>(this, kIdSectionStatus)->setText(texts.status);
    FindControl<QLineEdit>(this, kIdSectionFirstLine)->setText(texts.firstLine);
    FindControl<QLineEdit>(this, kIdSectionLink)->setText(texts.link);
}

} // namespace lindo
