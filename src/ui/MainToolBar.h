#pragma once

#include "language/language.h"

#include <QToolBar>

class QAction;
class QMenu;
class QToolButton;

namespace ondrix {

// The main toolbar: the on/off button with its drop-down menu, the mode button, the
// stretching spacer and the confirm button at the right end.
class MainToolBar : public QToolBar
{
    Q_OBJECT
public:
    explicit MainToolBar(QWidget* parent = nullptr);

    void ApplyTexts(const TLanguage& language);
    // Check marks of the on and off items, and the on/off picture.
    void ShowEnabled(bool enabled);
    // The picture of the mode button.
    void ShowPictureMode(bool pictureMode);
    void SetSpacerWidth(int width);

    QToolButton* tbbOnOff() const { return m_tbbOnOff; }
    QToolButton* tbbChState() const { return m_tbbChState; }
    QToolButton* bOK() const { return m_bOK; }
    QWidget* LMDDrawEdge1() const { return m_spacer; }
    QMenu* tbbONOFFPM() const { return m_menu; }
    QAction* tbbONOFFPM1() const { return m_onItem; }
    QAction* tbbONOFFPM2() const { return m_offItem; }
    QAction* ThemeModeItem() const { return m_themeModeItem; }
    QAction* PictureModeItem() const { return m_pictureModeItem; }

signals:
    void tbbOnOffClicked();
    void tbbChStateClicked();
    void bOKClicked();
    void switchOffChosen();        // tbbONOFFPM2
    void switchOnThemesChosen();   // first sub-item of tbbONOFFPM1
    void switchOnPicturesChosen(); // second sub-item of tbbONOFFPM1

private:
    QToolButton* m_tbbOnOff = nullptr;
    QToolButton* m_tbbChState = nullptr;
    QToolButton* m_bOK = nullptr;
    QWidget* m_spacer = nullptr;
    QMenu* m_menu = nullptr;
    QMenu* m_onMenu = nullptr;
    QAction* m_onItem = nullptr;
    QAction* m_offItem = nullptr;
    QAction* m_themeModeItem = nullptr;
    QAction* m_pictureModeItem = nullptr;
};

// Sets a button's picture and remembers its resource name in the property "glyph".
void SetGlyph(QToolButton* button, const char* resourceName);

} // namespace ondrix
