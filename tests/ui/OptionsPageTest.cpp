#include "ui/OptionsPage.h"

#include "app/options.h"
#include "language/language.h"
#include "platform/ScreenInfo.h"
#include "ui/RadioGroup.h"
#include "wallpaper/ResolutionAgent.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace ondrix {
namespace {

const char* const kEnglish = "[LANGUAGE_NAME]\n"
                             "name=English\n"
                             "[PAGE_OPTIONS]\n"
                             "tsIllb0=Size\n"
                             "tsIllb1=Display mode by size\n"
                             "tsIllb2=Desktop size\n"
                             "cbitem0=Stretch\n"
                             "cbitem1=Centre\n"
                             "cbitem2=Tile\n"
                             "tsAdvrgitem0=Never\n"
                             "tsAdvrgitem1=At start\n"
                             "tsAdvrgitem2=On timer\n"
                             "tsAdvrgitem3=In order\n"
                             "tsAdvrgitem4=At random\n"
                             "tsILrg13item0=One mode\n"
                             "tsILrg13item1=By size\n"
                             "caption0=Program\n"
                             "caption1=Themes\n"
                             "caption2=Slide show\n"
                             "hint0=Program settings\n"
                             "hint1=Theme settings\n"
                             "hint2=Slide show settings\n";

const char* const kGerman = "[PAGE_OPTIONS]\n"
                            "tsIllb0=Groesse\n"
                            "cbitem0=Strecken\n"
                            "cbitem1=Mitte\n"
                            "cbitem2=Kacheln\n"
                            "tsAdvrgitem0=Nie\n"
                            "tsAdvrgitem1=Beim Start\n"
                            "tsAdvrgitem2=Zeitgesteuert\n"
                            "tsAdvrgitem3=Der Reihe nach\n"
                            "tsAdvrgitem4=Zufaellig\n"
                            "tsILrg13item0=Ein Modus\n"
                            "tsILrg13item1=Nach Groesse\n";

} // namespace

class OptionsPageTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadShowsEveryField();
    void commitWritesEveryField();
    void changeTypeRules_data();
    void changeTypeRules();
    void changeTypeRulesAreIndependent();
    void showTypeRule();
    void loadAppliesTheRules();
    void sizeClassSlots();
    void sizeClassTexts();
    void unconfirmedMinutesAreDiscardedByLoad();
    void commitTakesTypedMinutes_data();
    void commitTakesTypedMinutes();
    void closingKeepsSlotEditsAndDropsOtherEdits();
    void applyTextsTwiceKeepsItemsAndSelections();
    void desktopSizeLabel();
    void tabTitlesAndHints();
    void outOfRangeSpinValuesAreClamped();
    void unknownStoredIndexesSurviveCommit();
    void storedPositionBeyondLastClass();
    void themeLayerBoxesByClicks();
    void themeLayerCaptionsFollowTheLanguageFile();
    void modeListsHoldFiveEntriesFromTheLanguageFile();
    void fillAndFitChosenByClicksAreStored();

private:
    QString WriteLanguage(const QString& name, const char* text);
    template <typename T> T* Find(const char* name)
    {
        T* widget = m_page->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    RadioGroup* Group(const char* name) { return Find<RadioGroup>(name); }
    // A click on the box's indicator, at its left end, as the user makes it.
    void ClickBox(const char* name)
    {
        QTest::mouseClick(Find<QCheckBox>(name), Qt::LeftButton, {},
                          QPoint(4, Find<QCheckBox>(name)->height() / 2));
    }

    // Opens the drop-down list with a click and clicks the entry in its list, as the user does.
    void ChooseByClick(const char* name, int row)
    {
        auto* box = Find<QComboBox>(name);
        QTest::mouseClick(box, Qt::LeftButton);
        QAbstractItemView* view = box->view();
        QTRY_VERIFY(view->isVisible());
        // The list ignores a release that follows its opening too closely.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        QTest::mouseMove(view->viewport(), at);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(!view->isVisible());
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TOptions> m_options;
    std::unique_ptr<FixedScreenInfo> m_screen;
    std::unique_ptr<TRAgent> m_agent;
    TLanguage m_english;
    std::unique_ptr<OptionsPage> m_page;
};

QString OptionsPageTest::WriteLanguage(const QString& name, const char* text)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text);
    return path;
}

void OptionsPageTest::init()
{
    QVERIFY(m_dir.isValid());
    m_options = std::make_unique<TOptions>();
    m_screen = std::make_unique<FixedScreenInfo>(DesktopSize{1024, 768});
    m_agent = std::make_unique<TRAgent>(*m_screen);
    m_english.Load(WriteLanguage("english.lng", kEnglish).toStdString());
    m_page = std::make_unique<OptionsPage>(*m_options, *m_agent);
    m_page->ApplyTexts(m_english);
}

void OptionsPageTest::cleanup()
{
    m_page.reset();
    m_agent.reset();
    m_screen.reset();
    m_options.reset();
}

void OptionsPageTest::loadShowsEveryField()
{
    TOptions& o = *m_options;
    o.ShowAboutWindow = false;
    o.RunAtStartup = true;
    o.advChType = 2;
    o.advRandOrOrder = 1;
    o.advMin = 90;
    o.AdvSec = 30;
    o.ilChType = 1;
    o.ilRandOrOrder = 1;
    o.ilMin = 5;
    o.ilSec = 45;
    o.ilShowType = 1;
    o.ilDisplType = 2;
    o.LastPos = 3;
    o.DisplaySlots = {2, 2, 2, 0, 0, 1};
    o.DisplaySlotsEdit = {0, 1, 2, 1, 2, 0};
    m_page->LoadOptionsPage();

    QCOMPARE(Find<QCheckBox>("cbsAbout")->isChecked(), false);
    QCOMPARE(Find<QCheckBox>("cbAutoRun")->isChecked(), true);
    QCOMPARE(Group("rg1")->ItemIndex(), 2);
    QCOMPARE(Group("rg2")->ItemIndex(), 1);
    QCOMPARE(Find<QSpinBox>("seMin")->value(), 90);
    QCOMPARE(Find<QSpinBox>("seSec")->value(), 30);
    QCOMPARE(Group("rg11")->ItemIndex(), 1);
    QCOMPARE(Group("rg12")->ItemIndex(), 1);
    QCOMPARE(Find<QSpinBox>("semin1")->value(), 5);
    QCOMPARE(Find<QSpinBox>("sesec2")->value(), 45);
    QCOMPARE(Group("rg13")->ItemIndex(), 1);
    QCOMPARE(Find<QComboBox>("cb1")->currentIndex(), 2);
    QCOMPARE(Find<QSlider>("tb1")->value(), 3);
    // cb2 shows the working copy, not the committed slots.
    QCOMPARE(Find<QComboBox>("cb2")->currentIndex(), 1);
    QCOMPARE(Find<QLabel>("plb1")->text(), QString("400x300 <= Size < 800x600"));

    // Loading again with other values replaces everything, check boxes included.
    o.ShowAboutWindow = true;
    o.RunAtStartup = false;
    o.advChType = 0;
    o.LastPos = 0;
    m_page->LoadOptionsPage();
    QCOMPARE(Find<QCheckBox>("cbsAbout")->isChecked(), true);
    QCOMPARE(Find<QCheckBox>("cbAutoRun")->isChecked(), false);
    QCOMPARE(Group("rg1")->ItemIndex(), 0);
    QCOMPARE(Find<QComboBox>("cb2")->currentIndex(), 0);
}

void OptionsPageTest::commitWritesEveryField()
{
    m_page->LoadOptionsPage();
    Find<QCheckBox>("cbsAbout")->setChecked(false);
    Find<QCheckBox>("cbAutoRun")->setChecked(false);
    Group("rg1")->Button(2)->click();
    Group("rg2")->Button(1)->click();
    Find<QSpinBox>("seMin")->setValue(15);
    Find<QSpinBox>("seSec")->setValue(20);
    Group("rg11")->Button(1)->click();
    Group("rg12")->Button(1)->click();
    Find<QSpinBox>("semin1")->setValue(1440);
    Find<QSpinBox>("sesec2")->setValue(59);
    Find<QComboBox>("cb1")->setCurrentIndex(2);
    Group("rg13")->Button(1)->click();
    Find<QSlider>("tb1")->setValue(5);
    Find<QComboBox>("cb2")->setCurrentIndex(2);

    m_page->CommitOptionsPage();
    const TOptions& o = *m_options;
    QCOMPARE(o.ShowAboutWindow, false);
    QCOMPARE(o.RunAtStartup, false);
    QCOMPARE(o.advChType, 2);
    QCOMPARE(o.advRandOrOrder, 1);
    QCOMPARE(o.advMin, 15);
    QCOMPARE(o.AdvSec, 20);
    QCOMPARE(o.ilChType, 1);
    QCOMPARE(o.ilRandOrOrder, 1);
    QCOMPARE(o.ilMin, 1440);
    QCOMPARE(o.ilSec, 59);
    QCOMPARE(o.ilShowType, 1);
    QCOMPARE(o.ilDisplType, 2);
    QCOMPARE(o.LastPos, 5);
    const DisplaySlotArray expected{2, 2, 2, 0, 0, 2};
    QCOMPARE(o.DisplaySlotsEdit, expected);
    QCOMPARE(o.DisplaySlots, expected);
}

void OptionsPageTest::changeTypeRules_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("orderEnabled");
    QTest::addColumn<bool>("intervalEnabled");
    QTest::newRow("never") << 0 << false << false;
    QTest::newRow("at start") << 1 << true << false;
    QTest::newRow("on timer") << 2 << true << true;
}

void OptionsPageTest::changeTypeRules()
{
    QFETCH(int, index);
    QFETCH(bool, orderEnabled);
    QFETCH(bool, intervalEnabled);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));

    // Start from the opposite state so that every control has to change.
    const int other = index == 2 ? 0 : 2;
    Group("rg1")->Button(other)->click();
    Group("rg11")->Button(other)->click();
    Group("rg1")->Button(index)->click();
    Group("rg11")->Button(index)->click();

    QCOMPARE(Group("rg2")->isEnabled(), orderEnabled);
    QCOMPARE(Find<QGroupBox>("gbTime")->isEnabled(), intervalEnabled);
    QCOMPARE(Find<QSpinBox>("seMin")->isEnabled(), intervalEnabled);
    QCOMPARE(Find<QSpinBox>("seSec")->isEnabled(), intervalEnabled);
    QCOMPARE(Group("rg12")->isEnabled(), orderEnabled);
    QCOMPARE(Find<QGroupBox>("gb1")->isEnabled(), intervalEnabled);
    QCOMPARE(Find<QSpinBox>("semin1")->isEnabled(), intervalEnabled);
    QCOMPARE(Find<QSpinBox>("sesec2")->isEnabled(), intervalEnabled);
}

void OptionsPageTest::changeTypeRulesAreIndependent()
{
    Group("rg1")->Button(2)->click();
    Group("rg11")->Button(0)->click();
    QVERIFY(Group("rg2")->isEnabled());
    QVERIFY(Find<QSpinBox>("seMin")->isEnabled());
    QVERIFY(!Group("rg12")->isEnabled());
    QVERIFY(!Find<QSpinBox>("semin1")->isEnabled());

    Group("rg1")->Button(0)->click();
    Group("rg11")->Button(2)->click();
    QVERIFY(!Group("rg2")->isEnabled());
    QVERIFY(!Find<QSpinBox>("seSec")->isEnabled());
    QVERIFY(Group("rg12")->isEnabled());
    QVERIFY(Find<QSpinBox>("sesec2")->isEnabled());
}

void OptionsPageTest::showTypeRule()
{
    Group("rg13")->Button(1)->click();
    QVERIFY(!Find<QComboBox>("cb1")->isEnabled());
    QVERIFY(Find<QSlider>("tb1")->isEnabled());
    QVERIFY(Find<QComboBox>("cb2")->isEnabled());

    Group("rg13")->Button(0)->click();
    QVERIFY(Find<QComboBox>("cb1")->isEnabled());
    QVERIFY(!Find<QSlider>("tb1")->isEnabled());
    QVERIFY(!Find<QComboBox>("cb2")->isEnabled());
}

void OptionsPageTest::loadAppliesTheRules()
{
    m_options->advChType = 2;
    m_options->ilChType = 1;
    m_options->ilShowType = 1;
    m_page->LoadOptionsPage();
    QVERIFY(Group("rg2")->isEnabled());
    QVERIFY(Find<QGroupBox>("gbTime")->isEnabled());
    QVERIFY(Group("rg12")->isEnabled());
    QVERIFY(!Find<QGroupBox>("gb1")->isEnabled());
    QVERIFY(Find<QSlider>("tb1")->isEnabled());
    QVERIFY(!Find<QComboBox>("cb1")->isEnabled());

    m_options->advChType = 0;
    m_options->ilShowType = 0;
    m_page->LoadOptionsPage();
    QVERIFY(!Group("rg2")->isEnabled());
    QVERIFY(!Find<QSpinBox>("seMin")->isEnabled());
    QVERIFY(!Find<QSlider>("tb1")->isEnabled());
    QVERIFY(Find<QComboBox>("cb1")->isEnabled());
}

void OptionsPageTest::sizeClassSlots()
{
    m_options->ilShowType = 1;
    m_page->LoadOptionsPage();
    auto* tb1 = Find<QSlider>("tb1");
    auto* cb2 = Find<QComboBox>("cb2");
    const DisplaySlotArray before = m_options->DisplaySlotsEdit; // 2, 2, 2, 0, 0, 1

    // Walking the track bar shows each class's slot and writes none of them.
    for (int position = 0; position < 6; ++position) {
        tb1->setValue(position);
        QCOMPARE(cb2->currentIndex(), int{before[static_cast<std::size_t>(position)]});
    }
    QCOMPARE(m_options->DisplaySlotsEdit, before);

    tb1->setValue(4);
    QCOMPARE(Find<QLabel>("plb1")->text(), QString("800x600 <= Size < 1024x768"));
    QCOMPARE(cb2->currentIndex(), 0);
    cb2->setCurrentIndex(2);
    QCOMPARE(m_options->DisplaySlotsEdit[4], 2);
    QCOMPARE(m_options->DisplaySlots[4], 0); // not committed yet

    tb1->setValue(1);
    QCOMPARE(cb2->currentIndex(), 2);
    tb1->setValue(5);
    QCOMPARE(cb2->currentIndex(), 1);
    tb1->setValue(4);
    QCOMPARE(cb2->currentIndex(), 2);
    const DisplaySlotArray edited{2, 2, 2, 0, 2, 1};
    QCOMPARE(m_options->DisplaySlotsEdit, edited);

    m_page->CommitOptionsPage();
    QCOMPARE(m_options->DisplaySlots, edited);
    QCOMPARE(m_options->LastPos, 4);
}

void OptionsPageTest::sizeClassTexts()
{
    auto* tb1 = Find<QSlider>("tb1");
    auto* plb1 = Find<QLabel>("plb1");
    tb1->setValue(5);
    QCOMPARE(plb1->text(), QString("Size => 1024x768"));
    tb1->setValue(0);
    QCOMPARE(plb1->text(), QString("100x75 > Size"));
    tb1->setValue(1);
    QCOMPARE(plb1->text(), QString("100x75 <= Size < 200x155"));

    // A language switch rewrites the text of the class shown.
    TLanguage german(WriteLanguage("german.lng", kGerman).toStdString());
    m_page->ApplyTexts(german);
    QCOMPARE(plb1->text(), QString("100x75 <= Groesse < 200x155"));
}

void OptionsPageTest::unconfirmedMinutesAreDiscardedByLoad()
{
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_page->PCOptions()->setCurrentIndex(1);
    m_options->advChType = 2; // the interval boxes take input only then
    m_page->LoadOptionsPage();
    auto* seMin = Find<QSpinBox>("seMin");
    seMin->setFocus();
    seMin->selectAll();
    QTest::keyClicks(seMin, "90");
    QCOMPARE(seMin->text(), QString("90"));

    m_page->LoadOptionsPage();
    QCOMPARE(seMin->value(), 60);
    QCOMPARE(seMin->text(), QString("60"));

    // Text that is not a number yet (an emptied box) leaves the value as it was; the reload
    // must still put the stored number back on screen.
    seMin->selectAll();
    QTest::keyClick(seMin, Qt::Key_Backspace);
    QCOMPARE(seMin->text(), QString());
    m_page->LoadOptionsPage();
    QCOMPARE(seMin->text(), QString("60"));
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->advMin, 60);
}

void OptionsPageTest::commitTakesTypedMinutes_data()
{
    QTest::addColumn<bool>("tracking");
    QTest::newRow("value follows typing") << true;
    QTest::newRow("value waits for confirmation") << false;
}

void OptionsPageTest::commitTakesTypedMinutes()
{
    QFETCH(bool, tracking);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    m_page->PCOptions()->setCurrentIndex(2);
    m_options->ilChType = 2;
    m_page->LoadOptionsPage();
    auto* semin1 = Find<QSpinBox>("semin1");
    semin1->setKeyboardTracking(tracking);
    semin1->setFocus();
    semin1->selectAll();
    QTest::keyClicks(semin1, "125");

    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ilMin, 125);
}

void OptionsPageTest::closingKeepsSlotEditsAndDropsOtherEdits()
{
    m_options->ilShowType = 1;
    m_page->LoadOptionsPage();
    Find<QSlider>("tb1")->setValue(3);
    Find<QComboBox>("cb2")->setCurrentIndex(1);
    Find<QSpinBox>("seMin")->setValue(5);
    Find<QSpinBox>("seSec")->setValue(7);
    Group("rg1")->Button(2)->click();

    // What closing the window does: reload, then commit.
    m_page->LoadOptionsPage();
    QCOMPARE(Find<QSpinBox>("seMin")->value(), 60);
    QCOMPARE(Find<QSlider>("tb1")->value(), 0);
    m_page->CommitOptionsPage();

    const DisplaySlotArray expected{2, 2, 2, 1, 0, 1};
    QCOMPARE(m_options->DisplaySlots, expected);
    QCOMPARE(m_options->advMin, 60);
    QCOMPARE(m_options->AdvSec, 0);
    QCOMPARE(m_options->advChType, 0);
    QCOMPARE(m_options->LastPos, 0);
}

void OptionsPageTest::applyTextsTwiceKeepsItemsAndSelections()
{
    m_options->LastPos = 2;
    m_options->DisplaySlotsEdit = {2, 2, 1, 0, 0, 1};
    m_page->LoadOptionsPage();
    Group("rg1")->Button(2)->click();
    Group("rg2")->Button(1)->click();
    Group("rg11")->Button(1)->click();
    Group("rg13")->Button(1)->click();
    Find<QComboBox>("cb1")->setCurrentIndex(2);

    TLanguage german(WriteLanguage("german.lng", kGerman).toStdString());
    m_page->ApplyTexts(german);
    m_page->ApplyTexts(m_english);

    for (const char* name : {"rg1", "rg11"})
        QCOMPARE(Group(name)->Items(), QStringList({"Never", "At start", "On timer"}));
    for (const char* name : {"rg2", "rg12"})
        QCOMPARE(Group(name)->Items(), QStringList({"In order", "At random"}));
    QCOMPARE(Group("rg13")->Items(), QStringList({"One mode", "By size"}));
    for (const char* name : {"cb1", "cb2"}) {
        auto* box = Find<QComboBox>(name);
        QCOMPARE(box->count(), 5);
        QCOMPARE(box->itemText(0), QString("Stretch"));
        QCOMPARE(box->itemText(2), QString("Tile"));
        QCOMPARE(box->itemText(4), QString("Fitted (bands)"));
    }
    QCOMPARE(Group("rg1")->ItemIndex(), 2);
    QCOMPARE(Group("rg2")->ItemIndex(), 1);
    QCOMPARE(Group("rg11")->ItemIndex(), 1);
    QCOMPARE(Group("rg12")->ItemIndex(), 0);
    QCOMPARE(Group("rg13")->ItemIndex(), 1);
    QCOMPARE(Find<QComboBox>("cb1")->currentIndex(), 2);
    QCOMPARE(Find<QComboBox>("cb2")->currentIndex(), 1);
    // Refilling cb2 passes through its first entry; that must not reach the slot.
    const DisplaySlotArray unchanged{2, 2, 1, 0, 0, 1};
    QCOMPARE(m_options->DisplaySlotsEdit, unchanged);
    // The new buttons follow the group's enabling.
    QVERIFY(Group("rg2")->Button(0)->isEnabled());
    QVERIFY(Find<QGroupBox>("gbTime")->isEnabled());
    QVERIFY(!Find<QGroupBox>("gb1")->isEnabled());
}

void OptionsPageTest::desktopSizeLabel()
{
    m_page->UpdateDesktopSizeLabel(m_english);
    QCOMPARE(Find<QLabel>("plb3")->text(), QString("Desktop size: 1024x768"));

    m_screen->SetSize({1920, 1080});
    m_agent->Poll();
    m_page->UpdateDesktopSizeLabel(m_english);
    QCOMPARE(Find<QLabel>("plb3")->text(), QString("Desktop size: 1920x1080"));
}

void OptionsPageTest::tabTitlesAndHints()
{
    QTabWidget* tabs = m_page->PCOptions();
    QCOMPARE(tabs->objectName(), QString("PCOptions"));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->widget(0)->objectName(), QString("tsPrg"));
    QCOMPARE(tabs->widget(1)->objectName(), QString("tsAdv"));
    QCOMPARE(tabs->widget(2)->objectName(), QString("tsSlS"));
    QCOMPARE(tabs->tabText(0), QString("Program  "));
    QCOMPARE(tabs->tabText(2), QString("Slide show  "));

    const QString hints[] = {"Program settings", "Theme settings", "Slide show settings"};
    for (int i : {2, 0, 1}) {
        tabs->setCurrentIndex(i);
        QCOMPARE(m_page->CurrentTabHint(), hints[i]);
        QCOMPARE(tabs->tabToolTip(i), hints[i]);
    }
    // The controls sit on their tabs.
    QVERIFY(tabs->widget(1)->isAncestorOf(Find<QSpinBox>("seMin")));
    QVERIFY(tabs->widget(2)->isAncestorOf(Find<QSlider>("tb1")));
    QVERIFY(tabs->widget(0)->isAncestorOf(Find<QCheckBox>("cbAutoRun")));

    // A language without the keys empties the texts but keeps the two blanks.
    TLanguage german(WriteLanguage("german.lng", kGerman).toStdString());
    m_page->ApplyTexts(german);
    QCOMPARE(tabs->tabText(1), QString("  "));
    QCOMPARE(m_page->CurrentTabHint(), QString());
}

void OptionsPageTest::outOfRangeSpinValuesAreClamped()
{
    // The boxes offer 1..1440 minutes and 0..59 seconds; a stored value outside is shown
    // clamped, and committing stores what was shown.
    m_options->advMin = 0;
    m_options->AdvSec = 200;
    m_options->ilMin = 5000;
    m_page->LoadOptionsPage();
    QCOMPARE(Find<QSpinBox>("seMin")->value(), 1);
    QCOMPARE(Find<QSpinBox>("seSec")->value(), 59);
    QCOMPARE(Find<QSpinBox>("semin1")->value(), 1440);
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->advMin, 1);
    QCOMPARE(m_options->AdvSec, 59);
    QCOMPARE(m_options->ilMin, 1440);
}

void OptionsPageTest::unknownStoredIndexesSurviveCommit()
{
    TOptions& o = *m_options;
    o.advChType = 7;
    o.ilRandOrOrder = 2;
    o.ilShowType = 3;
    o.ilDisplType = 9;
    o.DisplaySlotsEdit = {2, 2, 7, 0, 0, 1};
    o.DisplaySlots = o.DisplaySlotsEdit;
    o.LastPos = 2;
    m_page->LoadOptionsPage();
    QCOMPARE(Group("rg1")->ItemIndex(), -1);
    QCOMPARE(Group("rg12")->ItemIndex(), -1);
    QCOMPARE(Group("rg13")->ItemIndex(), -1);
    QCOMPARE(Find<QComboBox>("cb1")->currentIndex(), -1);
    QCOMPARE(Find<QComboBox>("cb2")->currentIndex(), -1);
    // No selection in rg1 is not "never": nothing that depends on it is enabled.
    QVERIFY(!Group("rg2")->isEnabled());

    m_page->CommitOptionsPage();
    QCOMPARE(o.advChType, 7);
    QCOMPARE(o.ilRandOrOrder, 2);
    QCOMPARE(o.ilShowType, 3);
    QCOMPARE(o.ilDisplType, 9);
    QCOMPARE(o.DisplaySlots[2], 7);

    // Once the user picks an entry, that entry is stored.
    Group("rg1")->Button(1)->click();
    Find<QComboBox>("cb2")->setCurrentIndex(0);
    m_page->CommitOptionsPage();
    QCOMPARE(o.advChType, 1);
    QCOMPARE(o.DisplaySlots[2], 0);
}

void OptionsPageTest::storedPositionBeyondLastClass()
{
    m_options->LastPos = 9;
    m_options->DisplaySlotsEdit = {2, 2, 2, 0, 0, 1};
    m_page->LoadOptionsPage();
    QCOMPARE(Find<QSlider>("tb1")->value(), 5);
    QCOMPARE(Find<QComboBox>("cb2")->currentIndex(), 1);
    QCOMPARE(Find<QLabel>("plb1")->text(), QString("Size => 1024x768"));
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->LastPos, 5);
}

void OptionsPageTest::themeLayerBoxesByClicks()
{
    QTabWidget* tabs = m_page->PCOptions();
    m_page->show();
    tabs->setCurrentIndex(1);
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    auto* sound = Find<QCheckBox>("cbThemeSound");
    auto* pause = Find<QCheckBox>("cbThemePause");
    auto* battery = Find<QCheckBox>("cbThemeBattery");
    QVERIFY(tabs->widget(1)->isAncestorOf(battery));
    QVERIFY(battery->isVisible());
    QVERIFY(tabs->widget(1)->isAncestorOf(sound));
    QVERIFY(tabs->widget(1)->isAncestorOf(pause));
    QVERIFY(sound->isVisible());
    QVERIFY(pause->isVisible());

    // A fresh record: no sound, pausing on.
    m_page->LoadOptionsPage();
    QVERIFY(!sound->isChecked());
    QVERIFY(pause->isChecked());
    QVERIFY(!battery->isChecked());

    ClickBox("cbThemeSound");
    ClickBox("cbThemePause");
    ClickBox("cbThemeBattery");
    QVERIFY(sound->isChecked());
    QVERIFY(!pause->isChecked());
    QVERIFY(battery->isChecked());
    // Nothing reaches the record before the commit.
    QCOMPARE(m_options->ThemeSound, false);
    QCOMPARE(m_options->ThemePauseCovered, true);
    QCOMPARE(m_options->ThemePauseBattery, false);
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ThemeSound, true);
    QCOMPARE(m_options->ThemePauseCovered, false);
    QCOMPARE(m_options->ThemePauseBattery, true);

    // Unconfirmed clicks are dropped by the next load; the record's values show again.
    ClickBox("cbThemeSound");
    pause->setFocus();
    QTest::keyClick(pause, Qt::Key_Space);
    ClickBox("cbThemeBattery");
    QVERIFY(!sound->isChecked());
    QVERIFY(pause->isChecked());
    QVERIFY(!battery->isChecked());
    m_page->LoadOptionsPage();
    QVERIFY(sound->isChecked());
    QVERIFY(!pause->isChecked());
    QVERIFY(battery->isChecked());

    // The two boxes are independent of the change type and stay usable for every one.
    for (int type : {0, 1, 2}) {
        Group("rg1")->Button(type)->click();
        QVERIFY(sound->isEnabled());
        QVERIFY(pause->isEnabled());
        QVERIFY(battery->isEnabled());
    }
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ThemeSound, true);
    QCOMPARE(m_options->ThemePauseCovered, false);

    // Live themes over the desktop's icons: off at first, on once confirmed.
    auto* overIcons = Find<QCheckBox>("cbThemeOverIcons");
    QVERIFY(tabs->widget(1)->isAncestorOf(overIcons));
    QVERIFY(overIcons->isVisible());
    QVERIFY(!overIcons->isChecked());
    ClickBox("cbThemeOverIcons");
    QCOMPARE(m_options->ThemeOverIcons, false);
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ThemeOverIcons, true);
}

void OptionsPageTest::themeLayerCaptionsFollowTheLanguageFile()
{
    const QString english =
        WriteLanguage("layer-en.lng", "[PAGE_OPTIONS]\ncaption1=Themes\n[THEME_LAYER]\nlive=Live\nsound="
                                      "Sound on\npause=Pause when covered\nbattery=Pause on battery\n");
    const QString german =
        WriteLanguage("layer-de.lng", "[PAGE_OPTIONS]\ncaption1=Themen\n[theme_layer]\nSOUND = Ton an\n"
                                      "pause=\"Anhalten, wenn verdeckt\"\n");
    const QString without = WriteLanguage("layer-none.lng", "[PAGE_OPTIONS]\ncaption1=Other\n");
    const auto apply = [this](const QString& path) {
        m_options->LanguageFileName = path.toStdString();
        m_page->ApplyTexts(TLanguage(m_options->LanguageFileName));
    };
    auto* sound = Find<QCheckBox>("cbThemeSound");
    auto* pause = Find<QCheckBox>("cbThemePause");

    apply(english);
    QCOMPARE(sound->text(), QString("Sound on"));
    QCOMPARE(pause->text(), QString("Pause when covered"));
    QCOMPARE(Find<QCheckBox>("cbThemeBattery")->text(), QString("Pause on battery"));
    apply(german);
    QCOMPARE(sound->text(), QString("Ton an"));
    QCOMPARE(pause->text(), QString("Anhalten, wenn verdeckt"));
    // A language without the keys shows the built-in English texts, not the last language's.
    apply(without);
    QCOMPARE(sound->text(), QString("Play the sound of live themes"));
    QCOMPARE(pause->text(), QString("Pause live themes under a full-screen window"));
    QCOMPARE(Find<QCheckBox>("cbThemeBattery")->text(), QString("Pause live themes while on battery"));
    // So does a language file that has gone.
    apply(m_dir.filePath("missing.lng"));
    QCOMPARE(sound->text(), QString("Play the sound of live themes"));
    apply(english);
    QCOMPARE(sound->text(), QString("Sound on"));
    QCOMPARE(m_page->PCOptions()->tabText(1), QString("Themes  "));
}

void OptionsPageTest::modeListsHoldFiveEntriesFromTheLanguageFile()
{
    const QString own = WriteLanguage("modes.lng", "[PAGE_OPTIONS]\ncbitem0=S\ncbitem1=C\ncbitem2=T\n"
                                                   "cbitem3=Fill it\nCBITEM4=Fit it\n");
    const QString older = WriteLanguage("older.lng", "[PAGE_OPTIONS]\ncbitem0=S\ncbitem1=C\ncbitem2=T\n");
    const auto apply = [this](const QString& path) {
        m_options->LanguageFileName = path.toStdString();
        m_page->ApplyTexts(TLanguage(m_options->LanguageFileName));
    };
    const auto items = [this](const char* name) {
        QStringList texts;
        auto* box = Find<QComboBox>(name);
        for (int i = 0; i < box->count(); ++i)
            texts.append(box->itemText(i));
        return texts;
    };
    apply(own);
    for (const char* name : {"cb1", "cb2"})
        QCOMPARE(items(name), QStringList({"S", "C", "T", "Fill it", "Fit it"}));
    // A language file from before the two modes shows them in English, not in the last language.
    apply(older);
    for (const char* name : {"cb1", "cb2"})
        QCOMPARE(items(name), QStringList({"S", "C", "T", "Filled (cropped)", "Fitted (bands)"}));

    // The shipped languages name them in their own words.
    const QString shipped = QStringLiteral(ONDRIX_SOURCE_DIR) + "/data/Languages/";
    apply(shipped + "english.lng");
    QCOMPARE(items("cb1"),
             QStringList({"Stretched", "Centred", "Tiled", "Filled (cropped)", "Fitted (bands)"}));
    apply(shipped + "deutsch.lng");
    QCOMPARE(items("cb2").mid(3), QStringList({"Gefüllt (beschnitten)", "Eingepasst (Ränder)"}));
    apply(shipped + "francais.lng");
    QCOMPARE(items("cb1").mid(3), QStringList({"Rempli (rogné)", "Ajusté (bandes)"}));
    QCOMPARE(Find<QCheckBox>("cbFitMonitors")->text(), QString("Ajuster à chaque écran"));
    apply(shipped + "deutsch.lng");
    QCOMPARE(Find<QCheckBox>("cbFitMonitors")->text(), QString("An jeden Monitor anpassen"));
    apply(older);
    QCOMPARE(Find<QCheckBox>("cbFitMonitors")->text(), QString("Fit to each monitor"));
}

void OptionsPageTest::fillAndFitChosenByClicksAreStored()
{
    m_options->LanguageFileName = WriteLanguage("english.lng", kEnglish).toStdString();
    m_page->ApplyTexts(m_english);
    m_page->LoadOptionsPage();
    m_page->show();
    m_page->PCOptions()->setCurrentIndex(2);
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    auto* cb1 = Find<QComboBox>("cb1");
    auto* cb2 = Find<QComboBox>("cb2");
    QCOMPARE(cb1->currentIndex(), 0);

    ChooseByClick("cb1", 3);
    QCOMPARE(cb1->currentIndex(), 3);
    QCOMPARE(m_options->ilDisplType, 0); // not before the commit
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ilDisplType, 3);
    ChooseByClick("cb1", 4);
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ilDisplType, 4);

    // By size: the track bar moved with the keyboard to class 3, fit chosen for it.
    auto* bySize = Group("rg13")->Button(1);
    QTest::mouseClick(bySize, Qt::LeftButton, {}, QPoint(4, bySize->height() / 2));
    QVERIFY(cb2->isEnabled());
    auto* tb1 = Find<QSlider>("tb1");
    tb1->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(tb1, Qt::Key_Right);
    QCOMPARE(tb1->value(), 3);
    QCOMPARE(cb2->currentIndex(), 0); // the default slot 3 is stretched
    ChooseByClick("cb2", 4);
    QCOMPARE(m_options->DisplaySlotsEdit, (DisplaySlotArray{2, 2, 2, 4, 0, 1}));
    QTest::keyClick(tb1, Qt::Key_Left);
    ChooseByClick("cb2", 3);
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->ilShowType, 1);
    QCOMPARE(m_options->DisplaySlots, (DisplaySlotArray{2, 2, 3, 4, 0, 1}));
    QCOMPARE(PackDisplaySlots(m_options->DisplaySlots), 104322u);

    // Loaded again, the stored 3 and 4 show as those entries.
    m_page->LoadOptionsPage();
    QCOMPARE(cb1->currentIndex(), 4);
    QCOMPARE(tb1->value(), 2);
    QCOMPARE(cb2->currentIndex(), 3);
    QTest::keyClick(tb1, Qt::Key_Right);
    QCOMPARE(cb2->currentIndex(), 4);

    // Beside them, off in a fresh record: placing the picture on every monitor.
    auto* fitMonitors = Find<QCheckBox>("cbFitMonitors");
    QVERIFY(m_page->PCOptions()->widget(2)->isAncestorOf(fitMonitors));
    QVERIFY(fitMonitors->isVisible());
    QCOMPARE(fitMonitors->text(), QString("Fit to each monitor"));
    QVERIFY(!fitMonitors->isChecked());
    ClickBox("cbFitMonitors");
    QCOMPARE(m_options->FitEachMonitor, false); // not before the commit
    m_page->CommitOptionsPage();
    QCOMPARE(m_options->FitEachMonitor, true);
    ClickBox("cbFitMonitors");
    m_page->LoadOptionsPage();
    QVERIFY(fitMonitors->isChecked());
}

} // namespace ondrix

QTEST_MAIN(ondrix::OptionsPageTest)
#include "OptionsPageTest.moc"
