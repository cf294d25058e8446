#include "CreatorPage.h"

#include "Dialogs.h"
#include "Glyphs.h"
#include "MoviePlayer.h"
#include "ThemesPage.h"
#include "app/options.h"
#include "core/IniFile.h"
#include "creator/ThemeGenerator.h"
#include "themes/ThemeStore.h"
#include "wallpaper/JpegCodec.h"
#include "wallpaper/ResolutionAgent.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>

namespace ondrix {

namespace {

constexpr int kFieldHeight = 21;
constexpr int kBrowseWidth = 21;
constexpr int kFrameWidth = 3;
constexpr const char* kPictureFilter = "JPG (JFIF JPEG) (*.jpg *.jpeg)";
constexpr const char* kQualityNames[] = {"Low", "Autolow", "Autohigh", "Medium", "High", "Best"};
constexpr int kStartQuality = 4;

// The texts the page adds to its language section: the creation failures, and the note of
// the placeholder player.
struct ExtraText
{
    const char* key;
    const char* fallback;
};
// By reason, from the unsafe name on (the missing file has its fixed text).
constexpr ExtraText kErrorTexts[] = {
    {"unsafename", "The theme name cannot be used as a file name. Leave out / \\ : * ? \" < > |, "
                   "control characters and a leading dot, and keep it short."},
    {"notamovie", "The chosen movie is not a Flash movie (.swf)."},
    {"notajpeg", "The background picture is not a JPEG picture."},
    {"packingfailed", "The theme package could not be written."},
    {"nameclash", "The file name of the movie or of the picture cannot be used inside the theme: it is "
                  "taken by the theme's own files or by the other file, or holds characters the theme "
                  "page cannot use. Rename the file and try again."},
    {"toolarge", "The movie and the picture are too large for a theme package."},
    {"texttoolong", "The theme's name, author and description are too long: a theme holds at most 1 MiB "
                    "of them."},
};
constexpr ExtraText kPreviewTooLarge{"previewtoolarge",
                                     "This movie is larger than 64 MiB and is not previewed here; the theme "
                                     "is made with it all the same."};
constexpr ExtraText kPlayerNote{"noplayer", "No movie player is installed: the movie is not previewed here."};
constexpr const char* kExtraSection = "THEME_CREATION";

// Paths typed or chosen in the fields, in the file system's own bytes.
std::string PathOf(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

bool IsExistingFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

QImage ToImage(const Bitmap& bitmap)
{
    const QImage view(bitmap.Data(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.Stride()),
                      QImage::Format_BGR888);
    return view.copy();
}

void SetWindowColour(QWidget& widget, QColor colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
}

QIcon Swatch(QColor colour)
{
    QPixmap pixmap(28, 12);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

} // namespace

// Errors of a handler end it and are shown in a message box; the page goes on.
template <typename Work> void CreatorPage::Guard(Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        Dialogs::ShowError(window(), QString::fromUtf8(error.what()));
    }
}

QString ColourChooserText(QColor colour)
{
    const auto hex = [](int component) {
        return QStringLiteral("%1").arg(component, 2, 16, QLatin1Char('0'));
    };
    return (QStringLiteral("$00") + hex(colour.blue()) + hex(colour.green()) + hex(colour.red())).toUpper();
}

QColor InvertedColour(QColor colour)
{
    return QColor(colour.red() ^ 0xFF, colour.green() ^ 0xFF, colour.blue() ^ 0xFF);
}

PercentSpinBox::PercentSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    // Any number reaches the page, which brings it into 1..100.
    setRange(-1e9, 1e9);
    setDecimals(2);
    setSingleStep(1);
    setKeyboardTracking(false);
    setValue(50);
}

QValidator::State PercentSpinBox::validate(QString&, int&) const
{
    return QValidator::Acceptable;
}

double PercentSpinBox::valueFromText(const QString& text) const
{
    bool ok = false;
    double value = locale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString PercentSpinBox::textFromValue(double value) const
{
    QString text = locale().toString(value, 'f', decimals());
    // 50 rather than 50.00; 33.5 rather than 33.50.
    const QChar point = locale().decimalPoint().at(0);
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(1);
    }
    return text;
}

CreatorPage::CreatorPage(TOptions& options, TRAgent& agent, const ThemeStore* store, ThemesPage& themes,
                         QWidget* parent)
    : TitledPage("TabSheet1", "p4articlelabel", parent), m_options(options), m_agent(agent), m_store(store),
      m_themes(themes)
{
    Body()->addStretch(1);
    chooseColour = [](QWidget* owner, QColor initial, const QString& title) {
        return QColorDialog::getColor(initial, owner, title);
    };

    m_lbminihelp = MakeLabel("lbminihelp", 4, 24);
    m_lbffile = MakeLabel("lbffile", 4, 40);
    m_foeffile = MakeFileField("foeffile", 55, m_foeffileBrowse);
    m_lbbgcolor = MakeLabel("lbbgcolor", 4, 88);
    m_cebgcolor = new QPushButton(this);
    m_cebgcolor->setObjectName(QStringLiteral("cebgcolor"));
    m_cebgcolor->setGeometry(4, 104, 221, 20);
    m_cebgcolor->setStyleSheet(QStringLiteral("text-align: left; padding-left: 4px"));
    m_lbbgimg = MakeLabel("lbbgimg", 4, 136);
    m_fobgimg = MakeFileField("fobgimg", 152, m_fobgimgBrowse);
    BuildPreview();
    m_lbalign = MakeLabel("lbalign", 4, 340);

    m_lbdescription = MakeLabel("lbdescription", 238, 40);
    m_meDescription = new QPlainTextEdit(this);
    m_meDescription->setObjectName(QStringLiteral("meDescription"));
    m_meDescription->setGeometry(240, 55, 270, 70);
    m_meDescription->setTabChangesFocus(true);
    m_lbname = MakeLabel("lbname", 238, 136);
    m_edname = new QLineEdit(this);
    m_edname->setObjectName(QStringLiteral("edname"));
    m_edname->setGeometry(240, 152, 153, kFieldHeight);
    m_lbauthor = MakeLabel("lbauthor", 398, 136);
    m_edauthor = new QLineEdit(this);
    m_edauthor->setObjectName(QStringLiteral("edauthor"));
    m_edauthor->setGeometry(400, 152, 110, kFieldHeight);

    m_lbw = MakeLabel("lbw", 238, 184);
    m_spin1 = new PercentSpinBox(this);
    m_spin1->setObjectName(QStringLiteral("RxSpinEdit1"));
    m_spin1->setGeometry(240, 200, 153, kFieldHeight);
    m_lbquality = MakeLabel("lbquality", 398, 184);
    m_cbquality = new QComboBox(this);
    m_cbquality->setObjectName(QStringLiteral("cbquality"));
    m_cbquality->setGeometry(400, 200, 110, kFieldHeight);
    for (const char* name : kQualityNames)
        m_cbquality->addItem(QString::fromLatin1(name));
    m_cbquality->setCurrentIndex(kStartQuality);
    m_lbh = MakeLabel("lbh", 238, 232);
    m_spin2 = new PercentSpinBox(this);
    m_spin2->setObjectName(QStringLiteral("RxSpinEdit2"));
    m_spin2->setGeometry(240, 248, 153, kFieldHeight);
    m_lbnote = new QLabel(this);
    m_lbnote->setObjectName(QStringLiteral("lbnote"));
    m_lbnote->setGeometry(240, 272, 161, 73);
    m_lbnote->setWordWrap(true);
    m_lbnote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lbnote->setTextFormat(Qt::PlainText);
    m_bcreate = new QPushButton(this);
    m_bcreate->setObjectName(QStringLiteral("bcreate"));
    m_bcreate->setGeometry(408, 304, 110, 34);
    m_bcreate->setEnabled(false);

    // The movie and the name run the same handler; the picture counts once its text is
    // complete (Enter, leaving the field, or a choice in the dialog), not at every keystroke.
    connect(m_foeffile, &QLineEdit::textChanged, this, [this] { Guard([this] { foeffileChange(); }); });
    connect(m_edname, &QLineEdit::textChanged, this, [this] { Guard([this] { foeffileChange(); }); });
    // Enter tries the picture again even when the text is the same (a file put right since).
    connect(m_fobgimg, &QLineEdit::returnPressed, this, [this] { Guard([this] { fobgimgChange(); }); });
    connect(m_fobgimg, &QLineEdit::editingFinished, this, [this] {
        if (m_fobgimg->text() != m_pictureText)
            Guard([this] { fobgimgChange(); });
    });
    connect(m_foeffileBrowse, &QToolButton::clicked, this, [this] { Guard([this] { BrowseMovie(); }); });
    connect(m_fobgimgBrowse, &QToolButton::clicked, this, [this] { Guard([this] { BrowsePicture(); }); });
    connect(m_cebgcolor, &QPushButton::clicked, this, [this] { Guard([this] { ChooseColour(); }); });
    connect(m_cbquality, &QComboBox::currentIndexChanged, this,
            [this] { Guard([this] { cbqualityChange(); }); });
    for (PercentSpinBox* spin : {m_spin1, m_spin2})
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { RxSpinEdit1Change(); });
    connect(m_bcreate, &QPushButton::clicked, this, [this] { Guard([this] { bcreateClick(); }); });

    m_placeholder = new PlaceholderPlayer;
    SetPlayer(m_placeholder);
    // A theme being packed when the program ends is finished before the work folder is emptied.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CreatorPage::WaitForCreation);
}

CreatorPage::~CreatorPage()
{
    WaitForCreation();
}

void CreatorPage::WaitForCreation()
{
    if (m_creation == nullptr)
        return;
    // The package is finished on disk; the page that would list it is going.
    disconnect(m_creation, nullptr, this, nullptr);
    m_creation->wait();
    delete m_creation;
    m_creation = nullptr;
    unsetCursor();
}

QLabel* CreatorPage::MakeLabel(const char* name, int x, int y)
{
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    return label;
}

QLineEdit* CreatorPage::MakeFileField(const char* name, int y, QToolButton*& browse)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(4, y, 221 - kBrowseWidth - 1, kFieldHeight);
    browse = new QToolButton(this);
    browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Browse"));
    browse->setText(QStringLiteral("…"));
    browse->setGeometry(4 + 221 - kBrowseWidth, y, kBrowseWidth, kFieldHeight);
    browse->setFocusPolicy(Qt::TabFocus);
    return field;
}

void CreatorPage::BuildPreview()
{
    m_panel6 = new QFrame(this);
    m_panel6->setObjectName(QStringLiteral("Panel6"));
    m_panel6->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel6->setGeometry(4, 200, kPreview.Width, kPreview.Height);
    m_panel6->setAutoFillBackground(true);
    m_image1 = new QLabel(m_panel6);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(0, 0, kPreview.Width, kPreview.Height);
    m_image1->setScaledContents(true);
    m_panel7 = new QWidget(m_panel6);
    m_panel7->setObjectName(QStringLiteral("panel7"));
    m_panel7->setAutoFillBackground(true);
    auto* frame = new QVBoxLayout(m_panel7);
    frame->setContentsMargins(kFrameWidth, kFrameWidth, kFrameWidth, kFrameWidth);
    for (QWidget* widget : {static_cast<QWidget*>(m_panel6), static_cast<QWidget*>(m_image1), m_panel7}) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
    ShowColour(m_colour);
}

void CreatorPage::SetPlayer(MoviePlayer* player)
{
    if (player == nullptr || player == m_player)
        return;
    if (m_player != nullptr) {
        m_panel7->layout()->removeWidget(m_player);
        delete m_player;
    }
    if (player != m_placeholder)
        m_placeholder = nullptr;
    m_player = player;
    m_player->setParent(m_panel7);
    m_panel7->layout()->addWidget(m_player);
    m_player->show();
    m_player->SetQuality(m_cbquality->currentText().toStdString());
}

void CreatorPage::ApplyTexts(const TLanguage& language)
{
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p3));
    const std::pair<QLabel*, Txt> labels[] = {
        {m_lbffile, Txt::PAGE_EDITOR_caption0},    {m_lbbgcolor, Txt::PAGE_EDITOR_caption1},
        {m_lbquality, Txt::PAGE_EDITOR_caption3},  {m_lbdescription, Txt::PAGE_EDITOR_caption4},
        {m_lbname, Txt::PAGE_EDITOR_caption5},     {m_lbauthor, Txt::PAGE_EDITOR_caption6},
        {m_lbminihelp, Txt::PAGE_EDITOR_caption7}, {m_lbbgimg, Txt::PAGE_EDITOR_caption12},
        {m_lbw, Txt::PAGE_EDITOR_caption9},        {m_lbh, Txt::PAGE_EDITOR_caption10},
    };
    for (const auto& [label, text] : labels) {
        label->setText(ToQ(language.Text(text)));
        label->adjustSize();
    }
    m_lbnote->setText(ToQ(language.Text(Txt::PAGE_EDITOR_caption11)));
    m_bcreate->setText(ToQ(language.Text(Txt::PAGE_EDITOR_caption8)));
    m_bcreate->setToolTip(ToQ(language.Text(Txt::PAGE_EDITOR_caption8)));
    m_alignCaption = language.Text(Txt::PAGE_EDITOR_caption2);
    m_movieFilter = ToQ(language.Text(Txt::PAGE_ADVANCEDDESKTOP_filter1)) + QStringLiteral(" (*.swf)");

    const IniFile texts = IniFile::Load(m_options.LanguageFileName);
    for (std::size_t i = 0; i < std::size(kErrorTexts); ++i)
        m_errorTexts[i] = ToQ(texts.Read(kExtraSection, kErrorTexts[i].key, kErrorTexts[i].fallback));
    m_previewTooLarge = ToQ(texts.Read(kExtraSection, kPreviewTooLarge.key, kPreviewTooLarge.fallback));
    if (m_placeholder != nullptr)
        m_placeholder->SetNote(ToQ(texts.Read(kExtraSection, kPlayerNote.key, kPlayerNote.fallback)));

    // The preview starts again from black, with the rectangle sized by the spin values; it
    // stays where it is.
    ShowColour(Qt::black);
    m_rect = SizedPlacement(m_rect, kPreview, m_spin1->value(), m_spin2->value());
    PlaceRectangle();
    WriteAlignLabel();
}

void CreatorPage::ShowColour(QColor colour)
{
    m_colour = colour;
    m_cebgcolor->setText(ColourChooserText(colour));
    m_cebgcolor->setIcon(Swatch(colour));
    SetWindowColour(*m_panel6, colour);
    SetWindowColour(*m_panel7, InvertedColour(colour));
}

void CreatorPage::PlaceRectangle()
{
    m_panel7->setGeometry(m_rect.Left, m_rect.Top, m_rect.Width, m_rect.Height);
}

void CreatorPage::WriteAlignLabel()
{
    m_lbalign->setText(
        ToQ(PlacementLabel(m_alignCaption, ScreenPlacement(m_rect, kPreview, m_agent.GetDesktopSize()))));
    m_lbalign->adjustSize();
}

bool CreatorPage::ShowsPicture() const
{
    return !m_image1->pixmap().isNull();
}

void CreatorPage::foeffileChange()
{
    m_bcreate->setEnabled(!m_foeffile->text().isEmpty() && !m_edname->text().isEmpty());
    const std::string movie = PathOf(m_foeffile->text());
    if (!IsExistingFile(movie))
        return;
    // A movie the preview does not play says so, rather than leaving the last one playing; one
    // that no package may hold says that.
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(movie, sizeError);
    if (m_store != nullptr && !sizeError && size > m_store->Environment().limits.maxTotalBytes) {
        m_player->ShowNote(m_errorTexts[static_cast<int>(ThemeCreationError::Reason::TooLarge) - 1]);
        m_edname->setFocus();
        return;
    }
    switch (PreviewRefusalOf(movie)) {
    case PreviewRefusal::TooLarge:
        m_player->ShowNote(m_previewTooLarge);
        break;
    case PreviewRefusal::NotAMovie:
        m_player->ShowNote(m_errorTexts[static_cast<int>(ThemeCreationError::Reason::NotAMovie) - 1]);
        break;
    case PreviewRefusal::None: {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(movie, error);
        m_player->SetMovie(error ? movie : full.string());
        break;
    }
    }
    m_edname->setFocus();
}

void CreatorPage::cebgcolorChange()
{
    if (m_cebgcolor->text().isEmpty())
        return;
    ShowColour(m_colour);
}

void CreatorPage::cbqualityChange()
{
    m_player->SetQuality(m_cbquality->currentText().toStdString());
}

void CreatorPage::RxSpinEdit1Change()
{
    // Errors while resizing are ignored.
    try {
        const double width = ClampPercent(m_spin1->value());
        const double height = ClampPercent(m_spin2->value());
        for (auto [spin, value] : {std::pair{m_spin1, width}, std::pair{m_spin2, height}}) {
            if (spin->value() != value) {
                const QSignalBlocker quiet(spin);
                spin->setValue(value);
            }
        }
        m_rect = ResizePlacement(m_rect, kPreview, width, height);
        PlaceRectangle();
    } catch (const std::exception&) {
    }
}

void CreatorPage::Panel7MouseMove(const QObject* sender, QPoint position, bool leftButtonHeld)
{
    // The rectangle's own events are in its coordinates; the preview's are wanted.
    if (sender == m_panel7)
        position += QPoint(m_rect.Left, m_rect.Top);
    if (!DragPlacement(m_rect, kPreview, {position.x(), position.y()}, leftButtonHeld, m_lastDragPoint))
        return;
    PlaceRectangle();
    WriteAlignLabel();
}

void CreatorPage::fobgimgChange()
{
    m_pictureText = m_fobgimg->text();
    if (m_pictureText.isEmpty()) {
        // No picture: the theme is built without one, and the preview shows it so.
        m_image1->clear();
        return;
    }
    // A picture that cannot be read leaves the one shown before.
    const Bitmap bitmap = DecodeJpeg(PathOf(m_pictureText), kPreview.Width, kPreview.Height);
    m_image1->setPixmap(QPixmap::fromImage(ToImage(bitmap)));
}

void CreatorPage::bcreateClick()
{
    if (m_store == nullptr || m_creation != nullptr)
        return;
    ThemeDesign design;
    design.MoviePath = PathOf(m_foeffile->text());
    design.Name = m_edname->text().toStdString();
    design.Author = m_edauthor->text().toStdString();
    // Lines of a description end in CR LF, as every line of "theme.cfg" does.
    design.Description =
        m_meDescription->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString();
    design.BackgroundPicturePath = PathOf(m_fobgimg->text());
    design.Colour = {static_cast<std::uint8_t>(m_colour.red()), static_cast<std::uint8_t>(m_colour.green()),
                     static_cast<std::uint8_t>(m_colour.blue())};
    design.Quality = m_cbquality->currentIndex();
    design.Width = m_spin1->value();
    design.Height = m_spin2->value();
    design.Position = PlacementPercent(m_rect, kPreview);

    // Packing a large movie takes seconds: it runs on a thread of its own while the page
    // waits, disabled, under a busy cursor. The worker asks nothing of the window's objects:
    // the desktop size is taken now.
    ThemeEnvironment env = m_store->Environment();
    const DesktopSize screen = env.screenSize ? env.screenSize() : DesktopSize{};
    env.screenSize = [screen] { return screen; };
    auto outcome = std::make_shared<CreationOutcome>();
    m_creation = QThread::create([env = std::move(env), design = std::move(design), outcome] {
        try {
            outcome->package = GenerateTheme(env, design);
        } catch (...) {
            outcome->error = std::current_exception();
        }
    });
    connect(m_creation, &QThread::finished, this, [this, outcome] { CreationFinished(*outcome); });
    setEnabled(false);
    // Busy here only: the other pages stay usable meanwhile.
    setCursor(Qt::BusyCursor);
    m_creation->start();
    if (!m_creation->isRunning() && !m_creation->isFinished()) {
        WaitForCreation();
        setEnabled(true);
        Dialogs::ShowError(window(),
                           QStringLiteral("The theme could not be made: no thread could be started for it."));
    }
}

void CreatorPage::CreationFinished(const CreationOutcome& outcome)
{
    WaitForCreation();
    setEnabled(true);
    Guard([&] {
        if (outcome.error) {
            try {
                std::rethrow_exception(outcome.error);
            } catch (const ThemeCreationError& error) {
                ReportCreationError(static_cast<int>(error.WhatFailed()), error.what());
                return;
            }
        }
        m_themes.ImportPackage(outcome.package);
        m_foeffile->clear();
        m_edname->clear();
        m_options.cadvTheme = outcome.package;
        emit themeCreated();
    });
}

void CreatorPage::ReportCreationError(int reason, const std::string& detail)
{
    using Reason = ThemeCreationError::Reason;
    QString text;
    if (static_cast<Reason>(reason) == Reason::FileNotFound) {
        text = QStringLiteral("File not found.");
    } else if (reason >= 1 && reason <= static_cast<int>(std::size(m_errorTexts))) {
        text = m_errorTexts[reason - 1];
        // The cause (a full disk, a folder that cannot be written; which file is too large) is
        // worth knowing here.
        if (static_cast<Reason>(reason) == Reason::PackingFailed ||
            static_cast<Reason>(reason) == Reason::TooLarge)
            text += QStringLiteral("\n\n") + QString::fromStdString(detail);
    } else {
        text = QString::fromStdString(detail);
    }
    Dialogs::ShowError(window(), text, QString::fromUtf8(kMessageCaption));
}

void CreatorPage::ChooseColour()
{
    const QColor chosen = chooseColour(window(), m_colour, m_lbbgcolor->text());
    if (!chosen.isValid())
        return;
    m_colour = QColor(chosen.red(), chosen.green(), chosen.blue());
    m_cebgcolor->setText(ColourChooserText(m_colour));
    cebgcolorChange();
}

void CreatorPage::BrowseMovie()
{
    const QStringList chosen = Dialogs::ChooseFiles(window(), m_movieFilter, QString(), false);
    if (!chosen.isEmpty())
        m_foeffile->setText(chosen.first());
}

void CreatorPage::BrowsePicture()
{
    const QStringList chosen =
        Dialogs::ChooseFiles(window(), QString::fromLatin1(kPictureFilter), QString(), false);
    if (chosen.isEmpty())
        return;
    m_fobgimg->setText(chosen.first());
    fobgimgChange();
}

bool CreatorPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove &&
        (watched == m_panel6 || watched == m_image1 || watched == m_panel7)) {
        const auto* move = static_cast<QMouseEvent*>(event);
        Guard([&] {
            Panel7MouseMove(watched, move->position().toPoint(), move->buttons().testFlag(Qt::LeftButton));
        });
        return true;
    }
    return TitledPage::eventFilter(watched, event);
}

} // namespace ondrix
