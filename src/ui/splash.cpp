#include "splash.h"

#include "AboutColours.h"
#include "Glyphs.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace ondrix {

namespace {
constexpr int kWidth = 326;
constexpr int kBannerHeight = 64;
// One pixel of body colour under the banner; everything below is cut off.
constexpr int kShownHeight = 65;
} // namespace

TfSplash::TfSplash(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    QPalette body = palette();
    body.setColor(QPalette::Window, kAboutBodyColour);
    setPalette(body);
    setFixedSize(kWidth, kShownHeight);

    EnsureIconResources();
    auto* banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("Image1"));
    banner->setGeometry(0, 0, kWidth, kBannerHeight);
    banner->setPixmap(QIcon(QStringLiteral(":/icons/banner.svg")).pixmap(QSize(kWidth, kBannerHeight)));

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(kShowMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &TfSplash::Timer1Timer);
    m_timer->start();
}

void TfSplash::showEvent(QShowEvent* event)
{
    setFixedSize(kWidth, kShownHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void TfSplash::Timer1Timer()
{
    m_timer->stop();
    accept();
}

void TfSplash::ShowModalSplash()
{
    TfSplash splash;
    splash.exec();
}

bool TfSplash::ShowAtStartup(bool showAboutWindow)
{
    if (!showAboutWindow)
        return false;
    ShowModalSplash();
    return true;
}

} // namespace ondrix
