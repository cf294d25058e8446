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
#include <filesystem>
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

ImageListsPage::ImageListsPage(QWidget* parent) : TitledPage("TabSheet2", "p2articlelabel", parent)
{
    m_caption = MakeCaptionStrip(this, "LMDGlyphLabel2");
    m_lvILists = MakeListView(this, "lvILists", 3);
    m_columns = new ColumnLimits(m_lvILists->header(), Widths(kListColumnsDesign));

    m_lvILFiles = MakeListView(this, "lvILFiles", 2);
    QHeaderView* filesHeader = m_lvILFiles->header();
    filesHeader->setStretchLastSection(false);
    for (int i = 0; i < 2; ++i) {
        filesHeader->setSectionResizeMode(i, QHeaderView::Fixed);
        filesHeader->resizeSection(i, kPictureColumnsFixed[static_cast<std::size_t>(i)]);
    }

    m_filesTitle = new QLabel(this);
    m_filesTitle->setObjectName(QStringLiteral("p22articlelabel"));
    m_previewTitle = new QLabel(this);
    m_previewTitle->setObjectName(QStringLiteral("p23articlelabel"));
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("pPrewiev"));
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setMinimumSize(160, 120);
    for (QLabel* label : {m_filesTitle, m_previewTitle, m_preview})
        label->setTextFormat(Qt::PlainText);

    auto* lower = new QGridLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->addWidget(m_filesTitle, 0, 0);
    lower->addWidget(m_previewTitle, 0, 1);
    lower->addWidget(m_lvILFiles, 1, 0);
    lower->addWidget(m_preview, 1, 1);
    lower->setColumnStretch(0, 1);

    Body()->addWidget(m_caption);
    Body()->addWidget(m_lvILists, 1);
    Body()->addLayout(lower, 1);
}

void ImageListsPage::ApplyTexts(const TLanguage& language)
{
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p1));
    m_caption->setText(QStringLiteral("  ") + ToQ(language.Text(Txt::BUTTONS_CAPTIONS_bc2)));
    m_filesTitle->setText(Title(language.Text(Txt::PAGES_ARTICLES_p5), " ::"));
    m_previewTitle->setText(Title(language.Text(Txt::PAGES_ARTICLES_p6)));
    m_preview->setText(ToQ(language.Text(Txt::PAGE_IMAGE_LISTS_prewievPanel)));
    SetHeaders(m_lvILists,
               {Txt::PAGE_IMAGE_LISTS_lvilistscolumn0, Txt::PAGE_IMAGE_LISTS_lvilistscolumn1,
                Txt::PAGE_IMAGE_LISTS_lvilistscolumn2},
               language);
    SetHeaders(m_lvILFiles, {Txt::PAGE_IMAGE_LISTS_lvilfilescolumn0, Txt::PAGE_IMAGE_LISTS_lvilfilescolumn1},
               language);
}

int ImageListsPage::ListCount() const
{
    return m_lvILists->topLevelItemCount();
}

std::vector<ImageList> ImageListsPage::ListRows() const
{
    std::vector<ImageList> rows;
    if (m_appDir.empty())
        return rows;
    const ImageListStore store(m_appDir);
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(store.StoreFolder(), error)) {
        if (entry.is_regular_file() && entry.path().extension() == ".lst")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files)
        rows.push_back(store.ImportListFile(file.string()));
    return rows;
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
