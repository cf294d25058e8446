#include "PageShells.h"

#include "ColumnLimits.h"
#include "Glyphs.h"
#include "WindowGeometry.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace ondrix {

namespace {

QString Title(const std::string& text, const char* tail = "::")
{
    return QStringLiteral(":: ") + ToQ(text) + QString::fromLatin1(tail);
}

QTreeWidget* MakeListView(QWidget* parent, const char* name, int columns)
{
    auto* view = new QTreeWidget(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setColumnCount(columns);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    return view;
}

template <std::size_t N> std::vector<int> Widths(const std::array<int, N>& design)
{
    return {design.begin(), design.end()};
}

void SetHeaders(QTreeWidget* view, std::initializer_list<Txt> keys, const TLanguage& language)
{
    QStringList titles;
    for (Txt key : keys)
        titles << ToQ(language.Text(key));
    view->setHeaderLabels(titles);
}

} // namespace

QLabel* MakeCaptionStrip(QWidget* parent, const char* objectName)
{
    auto* strip = new QLabel(parent);
    strip->setObjectName(QString::fromLatin1(objectName));
    strip->setFixedHeight(12);
    strip->setAutoFillBackground(true);
    strip->setTextFormat(Qt::PlainText);
    QPalette stripPalette = strip->palette();
    stripPalette.setColor(QPalette::Window, stripPalette.color(QPalette::Active, QPalette::Highlight));
    stripPalette.setColor(QPalette::WindowText, Qt::white);
    strip->setPalette(stripPalette);
    QFont small = strip->font();
    small.setPixelSize(10);
    strip->setFont(small);
    return strip;
}

TitledPage::TitledPage(const char* pageName, const char* titleName, QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(pageName));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_title = new QLabel(this);
    m_title->setObjectName(QString::fromLatin1(titleName));
    m_title->setFixedHeight(17);
    m_title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_title->setTextFormat(Qt::PlainText);
    column->addWidget(m_title);
    m_body = new QVBoxLayout;
    m_body->setContentsMargins(0, 0, 0, 0);
    m_body->setSpacing(2);
    column->addLayout(m_body, 1);
}

void TitledPage::SetTitle(const std::string& title)
{
    m_title->setText(Title(title));
}

ThemesPage::ThemesPage(QWidget* parent) : TitledPage("pageAdvThemes", "p1articlelabel", parent)
{
    m_caption = MakeCaptionStrip(this, "LMDGlyphLabel3");
    m_lvAdvanc = MakeListView(this, "lvAdvanc", 3);
    m_columns = new ColumnLimits(m_lvAdvanc->header(), Widths(kThemeColumnsDesign));
    Body()->addWidget(m_caption);
    Body()->addWidget(m_lvAdvanc, 1);
}

void ThemesPage::ApplyTexts(const TLanguage& language)
{
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p0));
    m_caption->setText(QStringLiteral("  ") + ToQ(language.Text(Txt::BUTTONS_CAPTIONS_bc1)));
    SetHeaders(m_lvAdvanc,
               {Txt::PAGE_ADVANCEDDESKTOP_lvcolumn0, Txt::PAGE_ADVANCEDDESKTOP_lvcolumn1,
                Txt::PAGE_ADVANCEDDESKTOP_lvcolumn2},
               language);
}

int ThemesPage::ThemeCount() const
{
    return m_lvAdvanc->topLevelItemCount();
}

CreatorPage::CreatorPage(QWidget* parent) : TitledPage("TabSheet1", "p4articlelabel", parent)
{
    Body()->addStretch(1);
}

void CreatorPage::ApplyTexts(const TLanguage& language)
{
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p3));
}

ReportPage::ReportPage(QWidget* parent) : TitledPage("TabSheet4", "prepalabel", parent)
{
    m_back = new QToolButton(this);
    m_back->setObjectName(QStringLiteral("prepBBack"));
    m_back->setProperty("tag", 0);
    m_back->setAutoRaise(true);
    m_back->setFixedSize(40, 40);
    m_back->setArrowType(Qt::LeftArrow);
    connect(m_back, &QToolButton::clicked, this, &ReportPage::backClicked);
    Body()->addWidget(m_back);
    Body()->addStretch(1);
}

void ReportPage::ApplyTexts(const TLanguage& language)
{
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p4));
    m_back->setToolTip(ToQ(language.Text(Txt::PAGE_REPORT_r6)));
}

} // namespace ondrix
