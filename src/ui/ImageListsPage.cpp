#include "ImageListsPage.h"

#include "ColumnLimits.h"
#include "Dialogs.h"
#include "Glyphs.h"
#include "ImageListModels.h"
#include "PicturePreview.h"
#include "WindowGeometry.h"
#include "app/options.h"
#include "imagelists/ListFile.h"
#include "imagelists/ListSort.h"
#include "wallpaper/Picture.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace ondrix {

namespace {

QTreeView* MakeView(QWidget* parent, const char* name)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setItemsExpandable(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    return view;
}

QString Title(const std::string& text, const char* tail)
{
    return QStringLiteral(":: ") + ToQ(text) + QString::fromLatin1(tail);
}

// The file-name part of an entry's path; entries written on other systems use "\".
QString FileNameOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return ToQ(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

ImageListsPage::ImageListsPage(TOptions& options, const TLanguage& language, WallpaperSetter& wallpaper,
                               Shell& shell, QWidget* parent)
    : TitledPage("TabSheet2", "p2articlelabel", parent), m_options(options), m_language(&language),
      m_wallpaper(wallpaper), m_shell(shell)
{
    EnsureIconResources();
    m_caption = MakeCaptionStrip(this, "LMDGlyphLabel2");
    Body()->addWidget(m_caption);
    BuildToolBar();
    BuildViews();
    BuildMenus();
    BuildLower();
    WireViews();
    ApplyTexts(language);
}

ImageListsPage::~ImageListsPage()
{
    // Searches still running end here, before the views they would fill are gone.
    m_jobs.clear();
}

QToolButton* ImageListsPage::MakeButton(const char* name, const char* glyph,
                                        void (ImageListsPage::*handler)())
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Glyph(glyph));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // a click leaves the focus on the view
    connect(button, &QToolButton::clicked, this, [this, handler] { Guard([&] { (this->*handler)(); }); });
    m_buttons[name] = button;
    return button;
}

QAction* ImageListsPage::MakeItem(QMenu* menu, const char* name, void (ImageListsPage::*handler)())
{
    QAction* item = menu->addAction(QString());
    item->setObjectName(QString::fromLatin1(name));
    if (handler)
        connect(item, &QAction::triggered, this, [this, handler] { Guard([&] { (this->*handler)(); }); });
    m_items[name] = item;
    return item;
}

void ImageListsPage::BuildToolBar()
{
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(1);
    const auto big = [](QToolButton* button) {
        button->setFixedSize(40, 40);
        button->setIconSize(QSize(32, 32));
        return button;
    };
    bar->addWidget(big(MakeButton("pilbApplay", "IDB_BITMAP6", &ImageListsPage::pilbApplayClick)));
    bar->addSpacing(12);
    bar->addWidget(big(MakeButton("pilbCreate", "IDB_BITMAP5", &ImageListsPage::pilbCreateClick)));
    bar->addWidget(big(MakeButton("pilbAdd", "IDB_BITMAP7", &ImageListsPage::pilbAddClick)));
    bar->addWidget(big(MakeButton("pilbRemove", "IDB_BITMAP12", &ImageListsPage::pilbRemoveClick)));
    bar->addWidget(big(MakeButton("pilbDelete", "IDB_BITMAP10", &ImageListsPage::pilbDeleteClick)));
    bar->addSpacing(12);
    bar->addWidget(big(MakeButton("pilbDownload", "IDB_BITMAP8", &ImageListsPage::pilbDownloadClick)));
    bar->addStretch(1);
    Body()->addLayout(bar);
}

void ImageListsPage::BuildViews()
{
    m_lvILists = MakeView(this, "lvILists");
    m_lvILists->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvILists->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_lvILists->setFixedHeight(104);
    m_lists = new ListsModel(this);
    m_lvILists->setModel(m_lists);
    m_lvILists->header()->setSectionsClickable(true);
    m_lvILists->header()->setSortIndicatorShown(true);
    m_columns =
        new ColumnLimits(m_lvILists->header(), {kListColumnsDesign.begin(), kListColumnsDesign.end()});
    m_lists->renameRequested = [this](int row, const std::string& text) { RenameList(row, text); };

    m_lvILFiles = MakeView(this, "lvILFiles");
    m_lvILFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvILFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvILFiles->setDragEnabled(true);
    m_lvILFiles->setDragDropMode(QAbstractItemView::DragDrop);
    m_lvILFiles->setDefaultDropAction(Qt::CopyAction);
    m_lvILFiles->setFixedWidth(297);
    m_entries = new EntriesModel(this);
    m_entries->SetDragOwner(m_lvILFiles);
    m_lvILFiles->setModel(m_entries);
    QHeaderView* header = m_lvILFiles->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(false);
    for (int i = 0; i < 2; ++i) {
        header->setSectionResizeMode(i, QHeaderView::Fixed);
        header->resizeSection(i, kPictureColumnsFixed[static_cast<std::size_t>(i)]);
    }
}

void ImageListsPage::BuildMenus()
{
    m_pilILPM = new QMenu(this);
    m_pilILPM->setObjectName(QStringLiteral("pilILPM"));
    MakeItem(m_pilILPM, "pilILPM1", &ImageListsPage::pilbCreateClick);
    MakeItem(m_pilILPM, "pilILPM2", &ImageListsPage::pilbAddClick);
    MakeItem(m_pilILPM, "pilILPM3", &ImageListsPage::pilbRemPM1Click);
    MakeItem(m_pilILPM, "pilILPM4", &ImageListsPage::pilbDeleteClick);

    m_pilIFPM = new QMenu(this);
    m_pilIFPM->setObjectName(QStringLiteral("pilIFPM"));
    MakeItem(m_pilIFPM, "pilIFPM0", &ImageListsPage::pilbIFAddClick);
    MakeItem(m_pilIFPM, "pilIFPM1", &ImageListsPage::pilbIFRemoveClick);
    MakeItem(m_pilIFPM, "pilIFPM2", &ImageListsPage::pilbIFWallPaperClick);
    MakeItem(m_pilIFPM, "pilIFPM3", nullptr); // has no action
    MakeItem(m_pilIFPM, "pilIFPM4", &ImageListsPage::pilbIFMoveUpClick);
    MakeItem(m_pilIFPM, "pilIFPM5", &ImageListsPage::pilbIFMoveDownClick);
    connect(m_pilIFPM, &QMenu::aboutToShow, this, [this] {
        const bool active = SelectedEntryRow() >= 0 && m_lvILFiles->hasFocus();
        for (const char* name : {"pilIFPM1", "pilIFPM2", "pilIFPM4", "pilIFPM5"})
            m_items[name]->setEnabled(active);
    });

    m_pilbRemPM = new QMenu(this);
    m_pilbRemPM->setObjectName(QStringLiteral("pilbRemPM"));
    MakeItem(m_pilbRemPM, "pilbRemPM1", &ImageListsPage::pilbRemPM1Click);
    MakeItem(m_pilbRemPM, "pilbRemPM2", &ImageListsPage::pilbRemPM2Click);
}

void ImageListsPage::BuildLower()
{
    Body()->addWidget(m_lvILists);
    m_filesTitle = new QLabel(this);
    m_filesTitle->setObjectName(QStringLiteral("p22articlelabel"));
    m_filesTitle->setTextFormat(Qt::PlainText);
    Body()->addWidget(m_filesTitle);

    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(1);
    const auto small = [](QToolButton* button) {
        button->setFixedSize(26, 26);
        button->setIconSize(QSize(20, 20));
        return button;
    };
    buttons->addWidget(small(MakeButton("pilbIFAdd", "IDB_BITMAP13", &ImageListsPage::pilbIFAddClick)));
    buttons->addWidget(small(MakeButton("pilbIFRemove", "IDB_BITMAP14", &ImageListsPage::pilbIFRemoveClick)));
    buttons->addWidget(
        small(MakeButton("pilbIFWallPaper", "IDB_BITMAP15", &ImageListsPage::pilbIFWallPaperClick)));
    buttons->addSpacing(10);
    buttons->addWidget(small(MakeButton("pilbIFMoveUp", "IDB_BITMAP17", &ImageListsPage::pilbIFMoveUpClick)));
    buttons->addWidget(
        small(MakeButton("pilbIFMoveDown", "IDB_BITMAP18", &ImageListsPage::pilbIFMoveDownClick)));
    buttons->addStretch(1);

    m_preview = new PicturePreview(this);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addLayout(buttons);
    row->addWidget(m_lvILFiles);
    row->addWidget(m_preview, 1);
    Body()->addLayout(row, 1);
}

void ImageListsPage::WireViews()
{
    for (QTreeView* view : {m_lvILists, m_lvILFiles}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    connect(m_lvILists->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { Guard([&] { lvIListsColumnClick(column); }); });
    connect(m_lvILists->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_bulk)
            Guard([&] { ListSelectionChanged(); });
    });
    connect(m_lvILists, &QTreeView::clicked, this, [this] { Guard([&] { ListEnablingRules(); }); });
    connect(m_lvILists, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_pilILPM->popup(m_lvILists->viewport()->mapToGlobal(at)); });

    connect(m_lvILFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty())
                    Guard([&] { EntrySelectionChanged(); });
            });
    connect(m_lvILFiles, &QTreeView::clicked, this, [this] { Guard([&] { EntryEnablingRules(); }); });
    connect(m_lvILFiles, &QTreeView::doubleClicked, this, [this] {
        if (m_lvILFiles->selectionModel()->selectedRows().size() == 1)
            Guard([&] { pilbIFWallPaperClick(); });
    });
    connect(m_lvILFiles, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_pilIFPM->popup(m_lvILFiles->viewport()->mapToGlobal(at)); });
    connect(m_preview, &PicturePreview::pictureDoubleClicked, this,
            [this] { Guard([&] { pilprewIMageDblClick(); }); });
}

void ImageListsPage::ApplyTexts(const TLanguage& language)
{
    m_language = &language;
    const auto t = [&](Txt key) { return ToQ(language.Text(key)); };
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p1));
    m_caption->setText(QStringLiteral("  ") + t(Txt::BUTTONS_CAPTIONS_bc2));
    m_filesTitle->setText(Title(language.Text(Txt::PAGES_ARTICLES_p5), " ::"));
    m_preview->Header()->setText(Title(language.Text(Txt::PAGES_ARTICLES_p6), "::"));
    m_preview->SetReadyText(t(Txt::PAGE_IMAGE_LISTS_prewievPanel));
    m_preview->SetPanelText(t(Txt::PAGE_IMAGE_LISTS_prewievPanel));
    m_lists->SetTitles({t(Txt::PAGE_IMAGE_LISTS_lvilistscolumn0), t(Txt::PAGE_IMAGE_LISTS_lvilistscolumn1),
                        t(Txt::PAGE_IMAGE_LISTS_lvilistscolumn2)});
    m_entries->SetTitles(
        {t(Txt::PAGE_IMAGE_LISTS_lvilfilescolumn0), t(Txt::PAGE_IMAGE_LISTS_lvilfilescolumn1)});
    const std::pair<const char*, Txt> hints[] = {
        {"pilbApplay", Txt::PAGE_IMAGE_LISTS_barbtn0},    {"pilbAdd", Txt::PAGE_IMAGE_LISTS_barbtn1},
        {"pilbDelete", Txt::PAGE_IMAGE_LISTS_barbtn3},    {"pilbCreate", Txt::PAGE_IMAGE_LISTS_barbtn4},
        {"pilbDownload", Txt::PAGE_IMAGE_LISTS_barbtn6},  {"pilbIFAdd", Txt::PAGE_IMAGE_LISTS_barbtn8},
        {"pilbIFRemove", Txt::PAGE_IMAGE_LISTS_barbtn9},  {"pilbIFWallPaper", Txt::PAGE_IMAGE_LISTS_barbtn10},
        {"pilbIFMoveUp", Txt::PAGE_IMAGE_LISTS_barbtn12}, {"pilbIFMoveDown", Txt::PAGE_IMAGE_LISTS_barbtn13},
    };
    for (const auto& [name, key] : hints)
        m_buttons[name]->setToolTip(t(key));
    const std::pair<const char*, Txt> items[] = {
        {"pilILPM1", Txt::PAGE_IMAGE_LISTS_barbtn4},      {"pilILPM2", Txt::PAGE_IMAGE_LISTS_barbtn1},
        {"pilILPM3", Txt::PAGE_IMAGE_LISTS_barbtn2},      {"pilILPM4", Txt::PAGE_IMAGE_LISTS_barbtn3},
        {"pilIFPM0", Txt::PAGE_IMAGE_LISTS_barbtn8},      {"pilIFPM1", Txt::PAGE_IMAGE_LISTS_barbtn9},
        {"pilIFPM2", Txt::PAGE_IMAGE_LISTS_barbtn10},     {"pilIFPM3", Txt::PAGE_IMAGE_LISTS_barbtn11},
        {"pilIFPM4", Txt::PAGE_IMAGE_LISTS_barbtn12},     {"pilIFPM5", Txt::PAGE_IMAGE_LISTS_barbtn13},
        {"pilbRemPM1", Txt::PAGE_IMAGE_LISTS_bRemovePM0}, {"pilbRemPM2", Txt::PAGE_IMAGE_LISTS_bRemovePM1},
    };
    for (const auto& [name, key] : items)
        m_items[name]->setText(t(key));
    RefreshRemoveButton();
}

void ImageListsPage::FillAtStartup()
{
    ApplySortType(NormalizeListsSortType(m_options.lvIListsSortType));
    m_bulk = true;
    std::vector<ImageList> rows;
    Guard([&] { rows = Store().ScanListFolder(Store().StoreFolder()); });
    m_lists->SetRows(std::move(rows));
    SortLists();
    m_bulk = false;
    // The current list, as the scan finds it: the first row of that path.
    const auto& all = m_lists->Rows();
    const auto current = std::find_if(all.begin(), all.end(),
                                      [&](const ImageList& row) { return row.Path == m_options.cIList; });
    if (current != all.end())
        SelectList(static_cast<int>(current - all.begin()));
    else
        Guard([&] { ListEnablingRules(); });
}

void ImageListsPage::UpdatePreviewHeader()
{
    const int row = SelectedEntryRow();
    m_preview->Header()->setText(QStringLiteral(".: ") + ToQ(m_language->Text(Txt::PAGES_ARTICLES_p6)) +
                                 QStringLiteral(":..") +
                                 (row >= 0 ? FileNameOf(m_entries->PathOf(row)) : QString()));
}

PictureSizeReader ImageListsPage::SizeReader()
{
    return [](const std::string& path, PictureKind kind) {
        const PictureSize size = ReadPictureSize(path, kind);
        return std::pair{size.width, size.height};
    };
}

std::vector<ImageList> ImageListsPage::ListRows() const
{
    return m_lists->Rows();
}

int ImageListsPage::ListCount() const
{
    return m_lists->rowCount();
}

std::vector<QWidget*> ImageListsPage::HintedButtons() const
{
    std::vector<QWidget*> buttons;
    for (const auto& [name, button] : m_buttons)
        buttons.push_back(button);
    return buttons;
}

std::vector<std::string> ImageListsPage::EntryCaptions() const
{
    std::vector<std::string> captions;
    for (int row = 0; row < m_entries->rowCount(); ++row)
        captions.push_back(m_entries->PathOf(row));
    return captions;
}

ImageListStore ImageListsPage::Store() const
{
    return ImageListStore(m_options.AppDir);
}

std::vector<int> ImageListsPage::SelectedListRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_lvILists->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int ImageListsPage::SelectedListRow() const
{
    const std::vector<int> rows = SelectedListRows();
    return rows.empty() ? -1 : rows.front();
}

int ImageListsPage::SelectedEntryRow() const
{
    const QModelIndexList rows = m_lvILFiles->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void ImageListsPage::SelectList(int row)
{
    m_lvILists->selectionModel()->setCurrentIndex(
        m_lists->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ImageListsPage::SelectEntry(int row)
{
    m_lvILFiles->selectionModel()->setCurrentIndex(
        m_entries->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ImageListsPage::ShowListEntries(int listRow, bool force)
{
    if (listRow < 0) {
        m_shownList.reset();
        if (m_entries->rowCount() > 0)
            m_entries->Clear();
        return;
    }
    const std::string path = m_lists->Row(listRow).Path;
    const ListFileStamp stamp = StampOfListFile(path);
    // The rules run on every click and focus change: the file is read again only when it may
    // have changed (an import, a restore, another program), which also keeps the order the
    // user dragged while it has not.
    if (!force && m_shownList && m_shownList->path == path && m_shownList->stamp == stamp)
        return;
    m_entries->Clear();
    m_shownList = ShownFile{path, stamp};
    std::vector<std::string> lines;
    try {
        lines = ReadListLines(path);
    } catch (const std::exception& error) {
        // The box takes the focus and gives it back, which runs the rules again: the same
        // failure is not read into another box.
        if (m_failedList && m_failedList->path == path && m_failedList->stamp == stamp)
            return;
        m_failedList = ShownFile{path, stamp};
        Report(error);
        return;
    }
    if (m_failedList && m_failedList->path == path)
        m_failedList.reset();
    m_entries->SetLines(std::move(lines));
}

void ImageListsPage::ListSelectionChanged()
{
    const std::vector<int> rows = SelectedListRows();
    QString label =
        QStringLiteral(".: ") + ToQ(m_language->Text(Txt::PAGES_ARTICLES_p5)) + QStringLiteral(" ..");
    if (rows.size() == 1)
        label += ToQ(m_lists->Row(rows.front()).Name);
    m_filesTitle->setText(label);
    ShowListEntries(rows.size() == 1 ? rows.front() : -1);
    ListEnablingRules();
    PreviewFirstEntry();
}

void ImageListsPage::PreviewFirstEntry()
{
    if (m_entries->rowCount() > 0)
        m_preview->ShowPicture(m_entries->PathOf(0));
    else
        m_preview->Clear();
}

void ImageListsPage::EntrySelectionChanged()
{
    EntryEnablingRules();
    const int row = SelectedEntryRow();
    if (row >= 0)
        m_preview->ShowPicture(m_entries->PathOf(row));
}

void ImageListsPage::ListEnablingRules()
{
    const std::vector<int> rows = SelectedListRows();
    const bool single = rows.size() == 1;
    ShowListEntries(single ? rows.front() : -1, false);
    const bool active = !rows.empty() && m_lvILists->hasFocus();
    m_buttons["pilbRemove"]->setEnabled(Store().RecycledListsExist() || active);
    for (QAction* item : {m_items["pilbRemPM1"], m_items["pilILPM3"], m_items["pilILPM4"]})
        item->setEnabled(active);
    m_buttons["pilbDelete"]->setEnabled(active);
    m_buttons["pilbApplay"]->setEnabled(single && active);
    EntryEnablingRules();
}

void ImageListsPage::EntryEnablingRules()
{
    const bool active = SelectedEntryRow() >= 0 && m_lvILFiles->hasFocus();
    for (const char* name : {"pilbIFRemove", "pilbIFWallPaper", "pilbIFMoveUp", "pilbIFMoveDown"})
        m_buttons[name]->setEnabled(active);
    const QModelIndex current = m_lvILFiles->currentIndex();
    if (m_entries->rowCount() > 0 && m_lvILFiles->isVisible() && m_lvILFiles->isEnabled() &&
        m_lvILFiles->hasFocus() && SelectedEntryRow() < 0 && !(current.isValid() && current.row() == 0))
        SelectEntry(0); // runs these rules again through the selection change
}

void ImageListsPage::RefreshRemoveButton()
{
    bool recycled = false;
    try {
        recycled = Store().RecycledListsExist();
    } catch (const std::exception&) {
        // A recycle folder that cannot be read holds nothing to restore.
    }
    QToolButton* button = m_buttons["pilbRemove"];
    button->setToolTip(
        ToQ(m_language->Text(recycled ? Txt::PAGE_IMAGE_LISTS_barbtn7 : Txt::PAGE_IMAGE_LISTS_barbtn2)));
    button->setIcon(Glyph(recycled ? "IDB_BITMAP11" : "IDB_BITMAP12"));
    button->setProperty("glyph", recycled ? "IDB_BITMAP11" : "IDB_BITMAP12");
}

void ImageListsPage::ApplySortType(std::int32_t sortType)
{
    m_options.lvIListsSortType = sortType;
    m_lvILists->header()->setSortIndicator(sortType / 2,
                                           sortType % 2 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ImageListsPage::lvIListsColumnClick(int column)
{
    ApplySortType(SortTypeAfterColumnClick(NormalizeListsSortType(m_options.lvIListsSortType), column));
    SortLists();
}

void ImageListsPage::SortLists()
{
    m_lists->Sort(NormalizeListsSortType(m_options.lvIListsSortType));
}

void ImageListsPage::Report(const std::exception& error)
{
    Dialogs::ShowError(this, QString::fromUtf8(error.what()));
}

} // namespace ondrix
