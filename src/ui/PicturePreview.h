#pragma once

#include "wallpaper/Bitmap.h"

#include <QFrame>
#include <QImage>
#include <QThreadPool>

#include <string>

class QLabel;

namespace ondrix {

// How a picture previews: a bitmap-type file reports its failure in the panel text; a JPEG,
// PNG or WebP picture that fails just leaves the preview empty; a file of any other kind is
// not previewed at all.
enum class PreviewKind
{
    Bitmap, // .BMP, .ICO, .WMF, .EMF
    Jpeg,   // .JPG, .JPEG
    Png,    // .PNG
    Webp,   // .WEBP
    None,
};
PreviewKind PreviewKindOf(const std::string& path);

// The picture at path decoded for a preview of about target size (JPEG pictures are scaled
// down while decoding); BMP, JPEG, PNG and WebP go through our own decoders and their limits.
// Throws FileError/DecodeError when it cannot be read.
QImage DecodePreviewImage(const std::string& path, QSize target);

// The picture at path at its own full size, for the work file. Throws like the above.
Bitmap DecodeFullPicture(const std::string& path);

// The preview panel pPrewiev: its header strip, its text (seen only where no picture covers
// it) and the picture pilprewIMage, drawn stretched over the panel. Big pictures are decoded
// off the user-interface thread; the newest request always wins.
class PicturePreview : public QFrame
{
    Q_OBJECT
public:
    explicit PicturePreview(QWidget* parent = nullptr);
    ~PicturePreview() override;

    QLabel* Header() const { return m_header; }
    void SetPanelText(const QString& text);
    QString PanelText() const { return m_text; }
    // The panel text shown after a good preview (the language's own).
    void SetReadyText(const QString& text) { m_readyText = text; }

    void ShowPicture(const std::string& path);
    void Clear();
    bool HasPicture() const { return !m_image.isNull(); }
    const std::string& PicturePath() const { return m_path; }
    const QImage& Image() const { return m_image; }

    // Files above this size are decoded on a worker thread.
    static constexpr qint64 kDecodeInlineLimit = 512 * 1024;

signals:
    void pictureDoubleClicked();
    // A ShowPicture request has ended, with or without a picture.
    void previewFinished(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Apply(quint64 generation, const QImage& image, bool failed, PreviewKind kind);

    QLabel* m_header = nullptr;
    QWidget* m_picture = nullptr;
    QString m_text;
    QString m_readyText;
    QImage m_image;
    std::string m_path;
    quint64 m_generation = 0;
    QThreadPool m_pool;
};

} // namespace ondrix
