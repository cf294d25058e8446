#pragma once

#include "PageShells.h"
#include "creator/Placement.h"

#include <QColor>
#include <QDoubleSpinBox>

#include <exception>
#include <functional>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QThread;
class QToolButton;

namespace ondrix {

struct TOptions;
class MoviePlayer;
class PlaceholderPlayer;
class TRAgent;
class ThemeStore;
class ThemesPage;

// "$00" + blue, green and red as two upper-case hexadecimal digits each: "$00000000" is black.
QString ColourChooserText(QColor colour);
// The rectangle's colour: the preview's with all 24 colour bits inverted.
QColor InvertedColour(QColor colour);

// A percent spin box that lets any text through to the page, which brings the value into
// 1..100 itself: 0 or less becomes 1, above 100 becomes 100, and what is not a number 1.
// Typed values count when editing ends (Enter, or leaving the box); the arrows at once.
class PercentSpinBox final : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit PercentSpinBox(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    double valueFromText(const QString& text) const override;
    QString textFromValue(double value) const override;
};

// Page 3, the theme creation: the movie, its name, author and description, the background
// colour and picture, the quality, the movie's size in percent of the screen and its place,
// dragged in a small picture of the desktop where the movie plays.
class CreatorPage : public TitledPage
{
    Q_OBJECT
public:
    static constexpr PreviewSize kPreview{221, 137};

    // store may be null (tests of other pages): the create button then makes nothing.
    CreatorPage(TOptions& options, TRAgent& agent, const ThemeStore* store, ThemesPage& themes,
                QWidget* parent = nullptr);
    ~CreatorPage() override;

    void ApplyTexts(const TLanguage& language);
    // The page owns the player from now on; the placeholder it had goes.
    void SetPlayer(MoviePlayer* player);
    MoviePlayer* Player() const { return m_player; }

    // The handlers, each also run by its control.
    void foeffileChange();
    void cebgcolorChange();
    void cbqualityChange();
    void RxSpinEdit1Change();
    void Panel7MouseMove(const QObject* sender, QPoint position, bool leftButtonHeld);
    void fobgimgChange();
    void bcreateClick();

    PlacementRect Rectangle() const { return m_rect; }
    QColor Colour() const { return m_colour; }
    // The picture shown in the preview (none after an empty field).
    bool ShowsPicture() const;

    // The colour dialog; tests answer it instead. An invalid colour is a cancel.
    std::function<QColor(QWidget* parent, QColor initial, const QString& title)> chooseColour;

signals:
    // A theme was made and listed; the main window shows the themes page.
    void themeCreated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* MakeLabel(const char* name, int x, int y);
    QLineEdit* MakeFileField(const char* name, int y, QToolButton*& browse);
    void BuildPreview();
    void ShowColour(QColor colour);
    void PlaceRectangle();
    void WriteAlignLabel();
    void ChooseColour();
    void BrowseMovie();
    void BrowsePicture();
    void ReportCreationError(int reason, const std::string& detail);
    // What the creation's thread made: the package's path, or its error.
    struct CreationOutcome
    {
        std::string package;
        std::exception_ptr error;
    };
    void CreationFinished(const CreationOutcome& outcome);
    void WaitForCreation();
    template <typename Work> void Guard(Work&& work);

    TOptions& m_options;
    TRAgent& m_agent;
    const ThemeStore* m_store;
    ThemesPage& m_themes;

    QLabel* m_lbminihelp = nullptr;
    QLabel* m_lbffile = nullptr;
    QLineEdit* m_foeffile = nullptr;
    QToolButton* m_foeffileBrowse = nullptr;
    QLabel* m_lbbgcolor = nullptr;
    QPushButton* m_cebgcolor = nullptr;
    QLabel* m_lbbgimg = nullptr;
    QLineEdit* m_fobgimg = nullptr;
    QToolButton* m_fobgimgBrowse = nullptr;
    QFrame* m_panel6 = nullptr;
    QLabel* m_image1 = nullptr;
    QWidget* m_panel7 = nullptr;
    MoviePlayer* m_player = nullptr;
    PlaceholderPlayer* m_placeholder = nullptr; // while no real player was handed in
    QLabel* m_lbalign = nullptr;
    QLabel* m_lbdescription = nullptr;
    QPlainTextEdit* m_meDescription = nullptr;
    QLabel* m_lbname = nullptr;
    QLineEdit* m_edname = nullptr;
    QLabel* m_lbauthor = nullptr;
    QLineEdit* m_edauthor = nullptr;
    QLabel* m_lbw = nullptr;
    PercentSpinBox* m_spin1 = nullptr;
    QLabel* m_lbquality = nullptr;
    QComboBox* m_cbquality = nullptr;
    QLabel* m_lbh = nullptr;
    PercentSpinBox* m_spin2 = nullptr;
    QLabel* m_lbnote = nullptr;
    QPushButton* m_bcreate = nullptr;

    QColor m_colour{Qt::black};
    PlacementRect m_rect;
    PreviewPoint m_lastDragPoint;
    QString m_pictureText; // the picture field's text the preview last tried
    std::string m_alignCaption;
    QString m_movieFilter;
    QString m_errorTexts[7]; // by reason, from the unsafe name on
    QString m_previewTooLarge;
    QThread* m_creation = nullptr; // the theme being packed, while it is
};

} // namespace ondrix
