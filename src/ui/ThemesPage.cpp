#include "ThemesPage.h"

#include "ChangeScheduler.h"
#include "ColumnLimits.h"
#include "Dialogs.h"
#include "Glyphs.h"
#include "StatusPanels.h"
#include "WindowGeometry.h"
#include "app/options.h"
#include "imagelists/ListSort.h"

#include <QAction>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace ondrix {

namespace {

constexpr int kDateColumn = 1;
constexpr int kPathColumn = 2;

// A row of the list; it orders itself by the list's sort column: names and paths by their
// character codes (capitals before small letters), dates by the day. A row whose date is
// unknown comes before every dated row.
class ThemeItem final : public QTreeWidgetItem
{
public:
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == kDateColumn) {
            const QVariant mine = data(kDateColumn, ThemesPage::kDayRole);
            const QVariant theirs = other.data(kDateColumn, ThemesPage::kDayRole);
            if (!mine.isValid() || !theirs.isValid())
                return !mine.isValid() && theirs.isValid();
            return mine.toLongLong() < theirs.toLongLong();
        }
        return text(column).toStdString() < other.text(column).toStdString();
    }
};

// The list's grid lines, drawn over each cell's own painting.
class GridDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

const char* const kStyleGlyphs[] = {"style0", "style1", "style2", "style3", "style4", "style5"};

} // namespace

std::string StoreDisplayPath(const std::string& fileName)
{
    // The file name is kept as it is: a backslash in it is no separator here.
    return DisplayPath("..\\advThemes_\\") + fileName;
}

ThemesPage::ThemesPage(TOptions& options, const TLanguage& language, Shell& shell, const ThemeStore* store,
                       QWidget* parent)
    : TitledPage("pageAdvThemes", "p1articlelabel", parent), m_options(options), m_language(&language),
      m_shell(shell), m_store(store)
{
    EnsureIconResources();
    m_caption = MakeCaptionStrip(this, "LMDGlyphLabel3");
    Body()->addWidget(m_caption);
    BuildToolBar();
    BuildList();
    BuildMenus();
    ApplyTexts(language);
}

ThemesPage::~ThemesPage()
{
    // Searches still running end here, before the list they would fill is gone.
    m_jobs.clear();
}

QToolButton* ThemesPage::MakeButton(const char* name, const char* glyph, void (ThemesPage::*handler)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Glyph(glyph));
    button->setProperty("glyph", QString::fromLatin1(glyph));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // a click leaves the focus on the list
    button->setFixedSize(40, 40);
    button->setIconSize(QSize(32, 32));
    connect(button, &QToolButton::clicked, this, [this, handler] { Guard([&] { (this->*handler)(); }); });
    m_buttons[name] = button;
    return button;
}

QAction* ThemesPage::MakeItem(QMenu* menu, const char* name, void (ThemesPage::*handler)())
{
    QAction* item = menu->addAction(QString());
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, [this, handler] { Guard([&] { (this->*handler)(); }); });
    m_items[name] = item;
    return item;
}

void ThemesPage::BuildToolBar()
{
    auto* bar = new QHBoxLayout;
    bar->setObjectName(QStringLiteral("padvTB"));
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(1);
    bar->addWidget(MakeButton("padvbApplay", "IDB_BITMAP6", &ThemesPage::padvbApplayClick));
    bar->addSpacing(12);
    bar->addWidget(MakeButton("padvbCreate", "IDB_BITMAP5", &ThemesPage::padvbCreateClick));
    bar->addWidget(MakeButton("padvbOpen", "IDB_BITMAP7", &ThemesPage::padvbOpenClick));
    bar->addWidget(MakeButton("padvbRemove", "IDB_BITMAP12", &ThemesPage::padvbRemoveClick));
    bar->addWidget(MakeButton("padvbDelete", "IDB_BITMAP10", &ThemesPage::padvbDeleteClick));
    bar->addSpacing(12);
    bar->addWidget(MakeButton("padvbReport", "IDB_BITMAP9", &ThemesPage::padvbReportClick));
    bar->addSpacing(12);
    bar->addWidget(MakeButton("padvbDownload", "IDB_BITMAP8", &ThemesPage::padvbDownloadClick));
    bar->addStretch(1);
    Body()->addLayout(bar);
}

void ThemesPage::BuildList()
{
    m_lvAdvanc = new QTreeWidget(this);
    m_lvAdvanc->setObjectName(QStringLiteral("lvAdvanc"));
    m_lvAdvanc->setColumnCount(3);
    m_lvAdvanc->setRootIsDecorated(false);
    m_lvAdvanc->setUniformRowHeights(true);
    m_lvAdvanc->setAllColumnsShowFocus(true);
    m_lvAdvanc->setItemsExpandable(false);
    m_lvAdvanc->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvAdvanc->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvAdvanc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvAdvanc->setContextMenuPolicy(Qt::CustomContextMenu);
    m_lvAdvanc->setItemDelegate(new GridDelegate(m_lvAdvanc));
    m_lvAdvanc->setIconSize(QSize(16, 16));
    m_lvAdvanc->setAcceptDrops(true);
    m_lvAdvanc->viewport()->setAcceptDrops(true);
    m_lvAdvanc->setDragDropMode(QAbstractItemView::DropOnly);
    QHeaderView* header = m_lvAdvanc->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setSortIndicatorShown(false); // the header image shows the order
    header->setStretchLastSection(false);
    m_lvAdvanc->headerItem()->setTextAlignment(kDateColumn, Qt::AlignCenter);
    m_columns = new ColumnLimits(header, {kThemeColumnsDesign.begin(), kThemeColumnsDesign.end()});
    Body()->addWidget(m_lvAdvanc, 1);

    m_lvAdvanc->installEventFilter(this);
    m_lvAdvanc->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { Guard([&] { lvAdvancColumnClick(column); }); });
    connect(m_lvAdvanc, &QTreeWidget::itemSelectionChanged, this,
            [this] { Guard([&] { lvAdvancEnter(); }); });
    connect(m_lvAdvanc, &QTreeWidget::itemClicked, this, [this] { Guard([&] { lvAdvancEnter(); }); });
    connect(m_lvAdvanc, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_buttons["padvbApplay"]->isEnabled())
            Guard([&] { padvbApplayClick(); });
    });
}

void ThemesPage::BuildMenus()
{
    m_padvlvPopup = new QMenu(this);
    m_padvlvPopup->setObjectName(QStringLiteral("padvlvPopup"));
    MakeItem(m_padvlvPopup, "padvPM0", &ThemesPage::padvbApplayClick);
    MakeItem(m_padvlvPopup, "padvPM1", &ThemesPage::padvbRemPM1Click);
    MakeItem(m_padvlvPopup, "padvPM2", &ThemesPage::padvbDeleteClick);
    MakeItem(m_padvlvPopup, "padvPM3", &ThemesPage::padvbReportClick);
    connect(m_lvAdvanc, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_padvlvPopup->popup(m_lvAdvanc->viewport()->mapToGlobal(at)); });

    m_padvbRemPM = new QMenu(this);
    m_padvbRemPM->setObjectName(QStringLiteral("padvbRemPM"));
    MakeItem(m_padvbRemPM, "padvbRemPM1", &ThemesPage::padvbRemPM1Click);
    MakeItem(m_padvbRemPM, "padvbRemPM2", &ThemesPage::padvbRemPM2Click);
}

void ThemesPage::ApplyTexts(const TLanguage& language)
{
    m_language = &language;
    const auto t = [&](Txt key) { return ToQ(language.Text(key)); };
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p0));
    m_caption->setText(QStringLiteral("  ") + t(Txt::BUTTONS_CAPTIONS_bc1));
    m_lvAdvanc->setHeaderLabels({t(Txt::PAGE_ADVANCEDDESKTOP_lvcolumn0),
                                 t(Txt::PAGE_ADVANCEDDESKTOP_lvcolumn1),
                                 t(Txt::PAGE_ADVANCEDDESKTOP_lvcolumn2)});
    const std::pair<const char*, Txt> hints[] = {
        {"padvbApplay", Txt::PAGE_ADVANCEDDESKTOP_barbtn0},
        {"padvbOpen", Txt::PAGE_ADVANCEDDESKTOP_barbtn1},
        {"padvbDelete", Txt::PAGE_ADVANCEDDESKTOP_barbtn3},
        {"padvbCreate", Txt::PAGE_ADVANCEDDESKTOP_barbtn4},
        {"padvbReport", Txt::PAGE_ADVANCEDDESKTOP_barbtn5},
        {"padvbDownload", Txt::PAGE_ADVANCEDDESKTOP_barbtn6},
    };
    for (const auto& [name, key] : hints)
        m_buttons[name]->setToolTip(t(key));
    const std::pair<const char*, Txt> items[] = {
        {"padvPM0", Txt::PAGE_ADVANCEDDESKTOP_barbtn0},
        {"padvPM1", Txt::PAGE_ADVANCEDDESKTOP_barbtn2},
        {"padvPM2", Txt::PAGE_ADVANCEDDESKTOP_barbtn3},
        {"padvPM3", Txt::PAGE_ADVANCEDDESKTOP_barbtn5},
        {"padvbRemPM1", Txt::PAGE_ADVANCEDDESKTOP_bRemovePM0},
        {"padvbRemPM2", Txt::PAGE_ADVANCEDDESKTOP_bRemovePM1},
    };
    for (const auto& [name, key] : items)
        m_items[name]->setText(t(key));
    RefreshRemoveButton();
}

void ThemesPage::FillAtStartup()
{
    m_lvAdvanc->clear();
    if (m_store) {
        const ThemeImportResult result = m_store->ScanThemeFolder(m_store->Environment().StoreFolder());
        AppendRows(result);
    }
    // The saved rule, as a click on its column that keeps the saved direction.
    ApplySortType(NormalizeListsSortType(m_options.lvadvSortType));
    SortList();
    lvAdvancEnter();
}

bool ThemesPage::ImportPackage(const std::string& path)
{
    if (m_store == nullptr)
        return false;
    const std::optional<ThemeRow> row = m_store->ImportThemePackage(path);
    if (row)
        AppendRow(*row);
    RefreshRemoveButton();
    lvAdvancEnter();
    return row.has_value();
}

int ThemesPage::ThemeCount() const
{
    return m_lvAdvanc->topLevelItemCount();
}

std::vector<QWidget*> ThemesPage::HintedButtons() const
{
    std::vector<QWidget*> buttons;
    for (const auto& [name, button] : m_buttons)
        buttons.push_back(button);
    return buttons;
}

QTreeWidgetItem* ThemesPage::NewItem(const ThemeRow& row) const
{
    auto* item = new ThemeItem;
    item->setTextAlignment(kDateColumn, Qt::AlignCenter);
    UpdateItem(item, row);
    return item;
}

void ThemesPage::UpdateItem(QTreeWidgetItem* item, const ThemeRow& row) const
{
    const int image = row.Image >= 0 && row.Image <= 5 ? row.Image : 5;
    item->setText(0, ToQ(row.Caption));
    item->setIcon(0, Glyph(kStyleGlyphs[image]));
    item->setData(0, kImageRole, row.Image);
    // The write time taken as UTC, reduced to its day, in the user's short date format.
    if (row.WriteTime) {
        const QDate day = QDateTime::fromSecsSinceEpoch(*row.WriteTime, Qt::UTC).date();
        item->setText(kDateColumn, QLocale::system().toString(day, QLocale::ShortFormat));
        item->setData(kDateColumn, kDayRole, day.toJulianDay());
    } else {
        item->setText(kDateColumn, QStringLiteral("?"));
        item->setData(kDateColumn, kDayRole, QVariant());
    }
    SetPackagePath(*item, row.Path);
}

void ThemesPage::AppendRow(const ThemeRow& row)
{
    // A package the list already shows keeps its one row: two rows of one file would leave
    // one naming a file that is gone once the other is removed.
    int index = -1;
    for (int i = 0; i < m_lvAdvanc->topLevelItemCount(); ++i) {
        if (PackagePathOf(*m_lvAdvanc->topLevelItem(i)) == row.Path) {
            index = i;
            break;
        }
    }
    if (index >= 0) {
        UpdateItem(m_lvAdvanc->topLevelItem(index), row);
    } else {
        m_lvAdvanc->addTopLevelItem(NewItem(row));
        index = m_lvAdvanc->topLevelItemCount() - 1;
    }
    if (row.Path == m_options.cadvTheme && SelectedRows().empty())
        SelectRow(index);
}

void ThemesPage::AppendRows(const ThemeImportResult& result)
{
    for (const ThemeRow& row : result.Rows)
        AppendRow(row);
    ShowErrors(result.Errors);
}

std::vector<int> ThemesPage::SelectedRows() const
{
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_lvAdvanc->selectedItems())
        rows.push_back(m_lvAdvanc->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ThemesPage::SelectRow(int row)
{
    QTreeWidgetItem* item = m_lvAdvanc->topLevelItem(row);
    if (!item)
        return;
    m_lvAdvanc->selectionModel()->setCurrentIndex(
        m_lvAdvanc->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ThemesPage::lvAdvancEnter()
{
    const std::vector<int> rows = SelectedRows();
    const bool sel = !rows.empty() && m_lvAdvanc->hasFocus();
    const bool one = sel && rows.size() == 1;
    bool recycled = false;
    try {
        recycled = m_store && m_store->RecycledThemesExist();
    } catch (const std::exception&) {
        // A recycle folder that cannot be read holds nothing to restore.
    }
    m_buttons["padvbRemove"]->setEnabled(recycled || sel);
    m_buttons["padvbDelete"]->setEnabled(sel);
    m_buttons["padvbReport"]->setEnabled(one);
    m_buttons["padvbApplay"]->setEnabled(one);
    for (const char* name : {"padvbRemPM1", "padvPM1", "padvPM2"})
        m_items[name]->setEnabled(sel);
    for (const char* name : {"padvPM0", "padvPM3"})
        m_items[name]->setEnabled(one);
}

void ThemesPage::RefreshRemoveButton()
{
    bool recycled = false;
    try {
        recycled = m_store && m_store->RecycledThemesExist();
    } catch (const std::exception&) {
        // As above: nothing to restore.
    }
    QToolButton* button = m_buttons["padvbRemove"];
    button->setToolTip(ToQ(
        m_language->Text(recycled ? Txt::PAGE_ADVANCEDDESKTOP_barbtn7 : Txt::PAGE_ADVANCEDDESKTOP_barbtn2)));
    button->setIcon(Glyph(recycled ? "IDB_BITMAP11" : "IDB_BITMAP12"));
    button->setProperty("glyph", recycled ? "IDB_BITMAP11" : "IDB_BITMAP12");
}

// The same rule as the lists view: column × 2, + 1 when descending; a click on the ascending
// sort column turns it descending, any other click sorts its column ascending.
void ThemesPage::ApplySortType(std::int32_t sortType)
{
    m_options.lvadvSortType = sortType;
    const int sorted = sortType / 2;
    QTreeWidgetItem* header = m_lvAdvanc->headerItem();
    for (int column = 0; column < m_lvAdvanc->columnCount(); ++column) {
        const bool marked = column == sorted;
        const int marker = sortType % 2 ? 7 : 6;
        header->setIcon(column, marked ? Glyph(marker == 6 ? "sortUp" : "sortDown") : QIcon());
        header->setData(column, kMarkerRole, marked ? QVariant(marker) : QVariant());
    }
}

void ThemesPage::lvAdvancColumnClick(int column)
{
    ApplySortType(SortTypeAfterColumnClick(NormalizeListsSortType(m_options.lvadvSortType), column));
    SortList();
}

void ThemesPage::SortList()
{
    const std::int32_t sortType = NormalizeListsSortType(m_options.lvadvSortType);
    m_lvAdvanc->sortItems(sortType / 2, sortType % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ThemesPage::ShowErrors(const std::vector<std::string>& errors)
{
    if (errors.empty())
        return;
    QStringList lines;
    for (const std::string& error : errors)
        lines << QString::fromUtf8(error.c_str());
    Dialogs::ShowError(this, lines.join(QLatin1Char('\n')));
}

} // namespace ondrix
