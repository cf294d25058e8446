#pragma once

#include "language/language.h"

#include <QObject>

#include <array>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace ondrix {

struct TOptions;

// The main menu: built the first time texts are applied, recaptioned on every later
// language switch, with the language entries made once from the language list.
class MainMenuBuilder : public QObject
{
    Q_OBJECT
public:
    MainMenuBuilder(QMenuBar* bar, const TOptions& options);

    void ApplyTexts(const TLanguage& language);

    QAction* ActionByTag(int tag) const;
    const std::vector<QAction*>& LanguageActions() const { return m_languageEntries; }

    // Tag of an entry, kept in its data; 0 for entries without one.
    static int TagOf(const QAction* entry);

signals:
    void otherItemClicked(int tag);
    void languageEntryClicked(QAction* entry);

private:
    void Build();
    void AddLanguageEntries(QMenu* menu);
    void SetTicks();

    QMenuBar* m_bar;
    const TOptions& m_options;
    std::array<QMenu*, 4> m_topMenus{};
    std::vector<QAction*> m_taggedEntries;
    std::vector<QAction*> m_languageEntries;
};

} // namespace ondrix
