#include "MainMenuBuilder.h"

#include "Glyphs.h"
#include "app/options.h"
#include "core/Paths.h"

#include <QMenu>
#include <QMenuBar>

namespace ondrix {

namespace {

struct TaggedEntry
{
    std::size_t menu; // top-level entry it sits under
    Txt text;
    int tag;
    int image; // index into the menu's pictures menu0..menu8
};

constexpr std::array<TaggedEntry, 9> kTaggedEntries{{
    {0, Txt::MAINMENU_a00name, 1, 0},
    {0, Txt::MAINMENU_a01name, 2, 1},
    {0, Txt::MAINMENU_a02name, 3, 2},
    {1, Txt::MAINMENU_a10name, 10, 3},
    {1, Txt::MAINMENU_a11name, 20, 4},
    {1, Txt::MAINMENU_a12name, 30, 5},
    {3, Txt::MAINMENU_a30name, 100, 6},
    {3, Txt::MAINMENU_a31name, 200, 7},
    {3, Txt::MAINMENU_a32name, 300, 8},
}};

constexpr std::array<Txt, 4> kTopTexts{Txt::MAINMENU_a0name, Txt::MAINMENU_a1name, Txt::MAINMENU_a2name,
                                       Txt::MAINMENU_a3name};

constexpr std::size_t kLanguageMenu = 2;

QIcon FlagIcon(const TMLang& language, const std::string& appDir)
{
    QIcon flag = LoadIconFile(language.FlagPath);
    if (flag.isNull())
        flag = LoadIconFile(AppPath(appDir, kDefaultFlagLiteral));
    return flag; // may stay null: the entry is then shown without a picture
}

} // namespace

MainMenuBuilder::MainMenuBuilder(QMenuBar* bar, const TOptions& options)
    : QObject(bar), m_bar(bar), m_options(options)
{
    m_bar->setObjectName(QStringLiteral("MainMenu"));
}

int MainMenuBuilder::TagOf(const QAction* entry)
{
    return entry->data().toInt();
}

QAction* MainMenuBuilder::ActionByTag(int tag) const
{
    for (QAction* entry : m_taggedEntries)
        if (TagOf(entry) == tag)
            return entry;
    return nullptr;
}

void MainMenuBuilder::ApplyTexts(const TLanguage& language)
{
    if (m_bar->actions().isEmpty())
        Build();
    for (std::size_t i = 0; i < m_topMenus.size(); ++i)
        m_topMenus[i]->setTitle(ToQ(language.Text(kTopTexts[i])));
    for (std::size_t i = 0; i < kTaggedEntries.size(); ++i)
        m_taggedEntries[i]->setText(ToQ(language.Text(kTaggedEntries[i].text)));
    SetTicks();
}

void MainMenuBuilder::Build()
{
    for (std::size_t i = 0; i < m_topMenus.size(); ++i) {
        m_topMenus[i] = m_bar->addMenu(QString());
        m_topMenus[i]->setObjectName(QStringLiteral("MainMenu%1").arg(i));
    }
    for (const TaggedEntry& spec : kTaggedEntries) {
        QAction* entry =
            m_topMenus[spec.menu]->addAction(Glyph(("menu" + std::to_string(spec.image)).c_str()), QString());
        entry->setData(spec.tag);
        entry->setObjectName(QStringLiteral("MainMenuItem%1").arg(spec.tag));
        connect(entry, &QAction::triggered, this, [this, entry] { emit otherItemClicked(TagOf(entry)); });
        m_taggedEntries.push_back(entry);
    }
    AddLanguageEntries(m_topMenus[kLanguageMenu]);
}

void MainMenuBuilder::AddLanguageEntries(QMenu* menu)
{
    for (std::size_t i = 0; i < m_options.LanguageList.size(); ++i) {
        const TMLang& language = m_options.LanguageList[i];
        QAction* entry = menu->addAction(FlagIcon(language, m_options.DataFolder()), ToQ(language.Name));
        entry->setCheckable(true);
        entry->setProperty("languageIndex", static_cast<int>(i));
        connect(entry, &QAction::triggered, this, [this, entry] { emit languageEntryClicked(entry); });
        m_languageEntries.push_back(entry);
    }
}

void MainMenuBuilder::SetTicks()
{
    // Exact comparison: a file name differing only in letter case ticks nothing.
    for (QAction* entry : m_languageEntries) {
        const auto index = static_cast<std::size_t>(entry->property("languageIndex").toInt());
        entry->setChecked(m_options.LanguageList.at(index).FileName == m_options.LanguageFileName);
    }
}

} // namespace ondrix
