#include "PicturePreview.h"

#include "PageShells.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/JpegCodec.h"
#include "wallpaper/Picture.h"
#include "wallpaper/PngCodec.h"
#include "wallpaper/WebpCodec.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <exception>

namespace ondrix {

namespace {

std::string UpperExtension(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).suffix().toUpper().toStdString();
}

QImage ToImage(const Bitmap& bitmap)
{
    const QImage view(bitmap.Data(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.Stride()),
                      QImage::Format_BGR888);
    return view.copy();
}

QImage ReadWithQt(const std::string& path)
{
    QImage image(QString::fromStdString(path));
    if (image.isNull())
        throw DecodeError("Cannot read the picture \"" + path + "\".");
    return image;
}

} // namespace

PreviewKind PreviewKindOf(const std::string& path)
{
    const std::string e = UpperExtension(path);
    if (e == "BMP" || e == "ICO" || e == "WMF" || e == "EMF")
        return PreviewKind::Bitmap;
    if (e == "JPG" || e == "JPEG")
        return PreviewKind::Jpeg;
    if (e == "PNG")
        return PreviewKind::Png;
    if (e == "WEBP")
        return PreviewKind::Webp;
    return PreviewKind::None;
}

QImage DecodePreviewImage(const std::string& path, QSize target)
{
    const std::string e = UpperExtension(path);
    if (e == "BMP")
        return ToImage(DecodeBmp(ReadFileBytes(path), path));
    if (e == "JPG" || e == "JPEG")
        return ToImage(DecodeJpeg(path, target.width(), target.height()));
    if (e == "PNG")
        return ToImage(DecodePng(path));
    if (e == "WEBP")
        return ToImage(DecodeWebp(path));
    return ReadWithQt(path);
}

Bitmap DecodeFullPicture(const std::string& path)
{
    const std::string e = UpperExtension(path);
    if (e == "BMP")
        return ReadBmp(path);
    if (e == "JPG" || e == "JPEG")
        return DecodeJpeg(path);
    if (e == "PNG")
        return DecodePng(path);
    if (e == "WEBP")
        return DecodeWebp(path);
    const QImage image = ReadWithQt(path).convertToFormat(QImage::Format_BGR888);
    Bitmap bitmap(image.width(), image.height(), path);
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(image.constScanLine(y), bitmap.Stride(), bitmap.Row(y));
    return bitmap;
}

PicturePreview::PicturePreview(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pPrewiev"));
    setFrameShape(QFrame::StyledPanel);
    setMinimumSize(120, 100);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(0);
    m_header = MakeCaptionStrip(this, "p23articlelabel");
    m_picture = new QWidget(this);
    m_picture->setObjectName(QStringLiteral("pilprewIMage"));
    m_picture->installEventFilter(this);
    column->addWidget(m_header);
    column->addWidget(m_picture, 1);
    m_pool.setMaxThreadCount(1);
}

PicturePreview::~PicturePreview()
{
    // A decode still running posts to this object; wait for it so nothing is posted late.
    m_pool.clear();
    m_pool.waitForDone();
}

void PicturePreview::SetPanelText(const QString& text)
{
    m_text = text;
    m_picture->update();
}

void PicturePreview::Clear()
{
    ++m_generation; // a decode still running is no longer wanted
    m_image = QImage();
    m_path.clear();
    m_picture->repaint();
}

void PicturePreview::ShowPicture(const std::string& path)
{
    Clear();
    const PreviewKind kind = PreviewKindOf(path);
    if (kind == PreviewKind::None) {
        emit previewFinished(false);
        return;
    }
    const quint64 generation = m_generation;
    const QSize target = m_picture->size();
    const auto decode = [path, target](QImage& image) {
        try {
            image = DecodePreviewImage(path, target);
            return !image.isNull();
        } catch (const std::exception&) {
            return false;
        }
    };
    m_path = path;
    if (QFileInfo(QString::fromStdString(path)).size() <= kDecodeInlineLimit) {
        QImage image;
        const bool ok = decode(image);
        Apply(generation, image, !ok, kind);
        return;
    }
    m_pool.start([this, decode, generation, kind] {
        QImage image;
        const bool ok = decode(image);
        QMetaObject::invokeMethod(
            this, [this, image, ok, generation, kind] { Apply(generation, image, !ok, kind); },
            Qt::QueuedConnection);
    });
}

void PicturePreview::Apply(quint64 generation, const QImage& image, bool failed, PreviewKind kind)
{
    if (generation != m_generation)
        return;
    if (failed) {
        m_image = QImage();
        m_path.clear();
        // Only bitmap-type pictures say that they failed; the others just leave it empty.
        if (kind == PreviewKind::Bitmap)
            SetPanelText(QStringLiteral("Error.:."));
    } else {
        m_image = image;
        if (kind == PreviewKind::Bitmap)
            SetPanelText(m_readyText);
    }
    m_picture->update();
    emit previewFinished(!failed);
}

bool PicturePreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture && event->type() == QEvent::Paint) {
        QPainter painter(m_picture);
        if (m_image.isNull()) {
            painter.drawText(m_picture->rect(), Qt::AlignCenter | Qt::TextWordWrap, m_text);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(m_picture->rect(), m_image); // stretched, whatever the proportions
        }
        return true;
    }
    if (watched == m_picture && event->type() == QEvent::MouseButtonDblClick) {
        emit pictureDoubleClicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace ondrix
