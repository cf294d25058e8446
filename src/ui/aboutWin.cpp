#include "aboutWin.h"

#include "AboutColours.h"
#include "Glyphs.h"
#include "app/options.h"
#include "core/Paths.h"
#include "platform/Shell.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace ondrix {

namespace {

constexpr int kClientWidth = 330;
constexpr int kClientHeight = 233;
constexpr int kEdge = 3;
constexpr int kGradientSteps = 50;

// A horizontal run from the body colour to the frame colour in even steps.
void PaintGradient(QPainter& painter, const QRect& area)
{
    for (int step = 0; step < kGradientSteps; ++step) {
        const int left = area.left() + area.width() * step / kGradientSteps;
        const int right = area.left() + area.width() * (step + 1) / kGradientSteps;
        const auto mix = [step](int from, int to) {
            return from + (to - from) * step / (kGradientSteps - 1);
        };
        const QColor colour(mix(kAboutBodyColour.red(), kAboutFrameColour.red()),
                            mix(kAboutBodyColour.green(), kAboutFrameColour.green()),
                            mix(kAboutBodyColour.blue(), kAboutFrameColour.blue()));
        painter.fillRect(QRect(left, area.top(), right - left, area.height()), colour);
    }
}

void SetButtonColour(QPushButton* button, const QColor& colour)
{
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: white; border: none; }")
                              .arg(colour.name()));
}

} // namespace

TfAbout::TfAbout(Shell& shell, QWidget* parent) : QDialog(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("fAbout"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette body = palette();
    body.setColor(QPalette::Window, kAboutBodyColour);
    body.setColor(QPalette::WindowText, Qt::white);
    setPalette(body);

    EnsureIconResources();
    auto* banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setGeometry(0, 0, kClientWidth, 64);
    banner->setPixmap(QIcon(QStringLiteral(":/icons/banner.svg")).pixmap(QSize(kClientWidth, 64)));

    m_image2 = new QLabel(this);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setGeometry(4, 67, 110, 89);
    m_image2->setPixmap(QIcon(QStringLiteral(":/icons/program.svg")).pixmap(QSize(110, 89)));
    m_image2->setCursor(Qt::PointingHandCursor);
    m_image2->installEventFilter(this);

    m_label1 = MakeLabel("LMDLabel1", 112, 64, {});
    m_label2 = MakeLabel("LMDLabel2", 112, 80, {});
    m_label7 = MakeLabel("LMDLabel7", 112, 96, {});
    MakeLink(m_label7);
    MakeLabel("LMDLabel8", 113, 112, QStringLiteral("E-Mail"));
    m_label6 = MakeLabel("LMDLabel6", 113, 128, {});
    MakeLink(m_label6);
    MakeLabel("LMDLabel4", 8, 168, QStringLiteral("Ondrix Home Page"))->raise();
    m_label5 = MakeLabel("LMDLabel5", 8, 184, {});
    MakeLink(m_label5);

    m_bOK = new QPushButton(QStringLiteral("OK"), this);
    m_bOK->setObjectName(QStringLiteral("bOK"));
    m_bOK->setGeometry(275, 205, 54, 21);
    m_bOK->setAutoDefault(false);
    SetButtonColour(m_bOK, kAboutFrameColour);
    m_bOK->installEventFilter(this);
    connect(m_bOK, &QPushButton::clicked, this, &TfAbout::close);
}

QLabel* TfAbout::MakeLabel(const char* name, int x, int y, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void TfAbout::MakeLink(QLabel* label)
{
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
}

void TfAbout::FillAboutTexts(const TLanguage& language, const TOptions& options)
{
    setWindowTitle(ToQ(language.Text(Txt::ABOUT_WINDOW_s0)));
    m_label1->setText(ToQ(language.Text(Txt::ABOUT_WINDOW_s1)));
    m_label2->setText(ToQ(language.Text(Txt::ABOUT_WINDOW_s2)));
    m_homeLink = options.Links[0];
    m_pictureLink = options.Links[4];
    m_makerPage = AppPath(options.DataFolder(), kMakerHomePage);
    m_contactPage = AppPath(options.DataFolder(), kMakerContactPage);
    m_image2->setToolTip(ToQ(m_makerPage));
    ShowAddress(m_label5, m_homeLink);
    ShowAddress(m_label7, m_makerPage);
    ShowAddress(m_label6, m_contactPage);
    for (QLabel* label : {m_label1, m_label2})
        label->adjustSize();
}

void TfAbout::ShowAddress(QLabel* label, const std::string& address)
{
    const QString whole = ToQ(address);
    const int room = kClientWidth - kEdge - label->x();
    label->setText(label->fontMetrics().elidedText(whole, Qt::ElideMiddle, room));
    label->setToolTip(whole);
    label->adjustSize();
}

void TfAbout::ShowModal(const QWidget* centreOn)
{
    setWindowModality(Qt::ApplicationModal);
    if (centreOn) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(centreOn->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void TfAbout::Open(const std::string& target)
{
    if (!target.empty())
        m_shell.Open(target); // a link that does not open is not reported
}

void TfAbout::LMDLabel5Click()
{
    Open(m_homeLink);
}

void TfAbout::LMDLabel7Click()
{
    Open(m_makerPage);
}

// Until the maker has a mailbox, the mail label leads to the page that says how to reach it.
void TfAbout::LMDLabel6Click()
{
    Open(m_contactPage);
}

void TfAbout::Image2Click()
{
    Open(m_pictureLink);
}

bool TfAbout::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_bOK) {
        if (type == QEvent::Enter)
            SetButtonColour(m_bOK, kAboutBodyColour);
        else if (type == QEvent::Leave)
            SetButtonColour(m_bOK, kAboutFrameColour);
        return QDialog::eventFilter(watched, event);
    }
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label)
        return QDialog::eventFilter(watched, event);
    if (label != m_image2 && (type == QEvent::Enter || type == QEvent::Leave)) {
        QFont font = label->font();
        font.setUnderline(type == QEvent::Enter);
        label->setFont(font);
    } else if (type == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const QString name = label->objectName();
        if (name == QLatin1String("LMDLabel5"))
            LMDLabel5Click();
        else if (name == QLatin1String("LMDLabel7"))
            LMDLabel7Click();
        else if (name == QLatin1String("LMDLabel6"))
            LMDLabel6Click();
        else if (label == m_image2)
            Image2Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    PaintGradient(painter, QRect(8, 164, 321, 21));
    PaintGradient(painter, QRect(8, 205, 313, 21));
    painter.fillRect(QRect(0, 0, kEdge, height()), kAboutFrameColour);
    painter.fillRect(QRect(width() - kEdge, 0, kEdge, height()), kAboutFrameColour);
    painter.fillRect(QRect(0, height() - kEdge, width(), kEdge), kAboutFrameColour);
}

} // namespace ondrix
