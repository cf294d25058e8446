#pragma once

#include "X11Connection.h"
#include "platform/DesktopWallpaper.h"

#include <string>

namespace ondrix {

class PictureFiles;
struct BgrPixels;

// The background of the X root window, drawn by us as root-window setters do: a retained
// pixmap named by the _XROOTPMAP_ID and ESETROOT_PMAP_ID properties. The two values live in
// memory only; SaveState keeps the user's root picture in a BMP file (SavedBackgroundFile)
// so that RestoreState can put it back pixel for pixel.
class X11RootWallpaper final : public DesktopWallpaper
{
public:
    // displayName empty: DISPLAY. stateFolder empty: $XDG_RUNTIME_DIR, else the temporary folder.
    explicit X11RootWallpaper(PictureFiles& pictures, const std::string& displayName = {},
                              const std::string& stateFolder = {});

    Values Read() override { return m_values; }
    void Write(const Values& values) override;
    std::string Name() const override { return "x11"; }
    std::string SaveState() override;
    void RestoreState(const std::string& state) override;

    // The file SaveState writes the user's root picture to:
    // <folder>/ondrix-saved-background-<uid>.bmp.
    std::string SavedBackgroundFile() const;

private:
    // Puts pixels on the root window as a new retained pixmap and ends the previous one.
    void ShowOnRoot(const BgrPixels& pixels);
    void RemoveRootPicture();
    void KillPreviousPixmap();

    PictureFiles& m_pictures;
    std::string m_displayName;
    std::string m_stateFolder;
    X11Connection m_connection;
    Values m_values{"", "0"};
};

} // namespace ondrix
