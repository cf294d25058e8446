#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

namespace ondrix {

// A titled group of radio buttons with one selected index (-1 when none is selected).
// Replacing the items keeps the selected index when it is still in range.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString& name, int itemCount, QWidget* parent = nullptr);

    int ItemCount() const;
    QStringList Items() const;
    QRadioButton* Button(int index) const;

    // Removes every item and adds the given ones in order.
    void SetItems(const QStringList& items);

    int ItemIndex() const;
    // An index outside 0..ItemCount()-1 leaves no button selected.
    void SetItemIndex(int index);

signals:
    // Raised whenever the selected index changes, by the user or by SetItemIndex.
    void itemIndexChanged(int index);

private:
    void onButtonToggled(int id, bool checked);

    QButtonGroup* m_buttons;
    QVBoxLayout* m_layout;
    QList<QRadioButton*> m_items;
};

} // namespace ondrix
