#pragma once

#include "language/language.h"

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;

namespace ondrix {

class Shell;
struct TOptions;

// The maker has no site or mailbox of its own yet: its home page and its way of being
// reached are pages of the help shipped in the application folder.
inline constexpr const char* kMakerHomePage = "\\Help\\about.html";
inline constexpr const char* kMakerContactPage = "\\Help\\contact.html";

// The About window: created once, hidden, and shown modally on request; closing only
// hides it, so the same window serves every showing.
class TfAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TfAbout(Shell& shell, QWidget* parent = nullptr);

    // The title and two labels from the language, the home-page link from the links, and
    // the maker's pages in the application folder.
    void FillAboutTexts(const TLanguage& language, const TOptions& options);
    // Modal to the application, without a nested event loop; centred on centreOn.
    void ShowModal(const QWidget* centreOn);

    void LMDLabel5Click();
    void LMDLabel7Click();
    void LMDLabel6Click();
    void Image2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* MakeLabel(const char* name, int x, int y, const QString& text);
    void MakeLink(QLabel* label);
    // Shows an address cut in the middle to the room the window leaves, whole as a tooltip.
    void ShowAddress(QLabel* label, const std::string& address);
    void Open(const std::string& target);

    Shell& m_shell;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label5 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_label7 = nullptr;
    QLabel* m_image2 = nullptr;
    QPushButton* m_bOK = nullptr;
    std::string m_homeLink;    // Links[0]
    std::string m_pictureLink; // Links[4]
    std::string m_makerPage;
    std::string m_contactPage;
};

} // namespace ondrix
