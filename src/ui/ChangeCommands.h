#pragma once

#include <QObject>

#include <cstdint>

namespace ondrix {

struct TOptions;

// The on/off switch and the change mode. The commands change the options; the window
// shows the result (check marks, pictures, status) when told by the signals. Setting the
// wallpaper or the theme for the new state belongs here too, once the changer exists.
class ChangeCommands : public QObject
{
    Q_OBJECT
public:
    explicit ChangeCommands(TOptions& options, QObject* parent = nullptr);

    void tbbOnOffClick();     // toggle
    void tbbONOFFPM2Click();  // off
    void tbbONOFFPM00Click(); // on, theme mode
    void tbbONOFFPM01Click(); // on, picture mode
    void tbbChStateClick();   // other mode

signals:
    void enabledChanged(bool enabled);
    // pictureMode is the mode button's picture: picture mode when true.
    void modeChanged(bool pictureMode);
    // Only the mode button announces the new mode on the status bar at once.
    void modeSwitchedByButton(std::uint8_t state);

private:
    void SetEnabled(bool enabled);

    TOptions& m_options;
};

} // namespace ondrix
