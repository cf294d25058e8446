#include "PageShells.h"

#include "Glyphs.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace ondrix {

namespace {

QString Title(const std::string& text, const char* tail = "::")
{
    return QStringLiteral(":: ") + ToQ(text) + QString::fromLatin1(tail);
}

} // namespace

QLabel* MakeCaptionStrip(QWidget* parent, const char* objectName)
{
    auto* strip = new QLabel(parent);
    strip->setObjectName(QString::fromLatin1(objectName));
    strip->setFixedHeight(12);
    strip->setAutoFillBackground(true);
    strip->setTextFormat(Qt::PlainText);
    QPalette stripPalette = strip->palette();
    stripPalette.setColor(QPalette::Window, stripPalette.color(QPalette::Active, QPalette::Highlight));
    stripPalette.setColor(QPalette::WindowText, Qt::white);
    strip->setPalette(stripPalette);
    QFont small = strip->font();
    small.setPixelSize(10);
    strip->setFont(small);
    return strip;
}

TitledPage::TitledPage(const char* pageName, const char* titleName, QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(pageName));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_title = new QLabel(this);
    m_title->setObjectName(QString::fromLatin1(titleName));
    m_title->setFixedHeight(17);
    m_title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_title->setTextFormat(Qt::PlainText);
    column->addWidget(m_title);
    m_body = new QVBoxLayout;
    m_body->setContentsMargins(0, 0, 0, 0);
    m_body->setSpacing(2);
    column->addLayout(m_body, 1);
}

void TitledPage::SetTitle(const std::string& title)
{
    m_title->setText(Title(title));
}

ReportPage::ReportPage(QWidget* parent) : TitledPage("TabSheet4", "prepalabel", parent)
{
    m_back = new QToolButton(this);
    m_back->setObjectName(QStringLiteral("prepBBack"));
    m_back->setProperty("tag", 0);
    m_back->setAutoRaise(true);
    m_back->setFixedSize(40, 40);
    m_back->setArrowType(Qt::LeftArrow);
    connect(m_back, &QToolButton::clicked, this, &ReportPage::backClicked);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("RMemo"));
    Body()->addWidget(m_memo, 1);
    Body()->addWidget(m_back);
}

void ReportPage::ShowReport(const QString& themeName, const QString& text)
{
    m_themeName = themeName.toStdString();
    m_memo->setPlainText(text);
}

void ReportPage::ApplyTexts(const TLanguage& language)
{
    SetTitle(language.Text(Txt::PAGES_ARTICLES_p4));
    m_back->setToolTip(ToQ(language.Text(Txt::PAGE_REPORT_r6)));
}

} // namespace ondrix
