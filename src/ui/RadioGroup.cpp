#include "RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace ondrix {

RadioGroup::RadioGroup(const QString& name, int itemCount, QWidget* parent)
    : QGroupBox(parent), m_buttons(new QButtonGroup(this)), m_layout(new QVBoxLayout(this))
{
    setObjectName(name);
    m_layout->setContentsMargins(6, 2, 6, 2);
    m_layout->setSpacing(0);
    connect(m_buttons, &QButtonGroup::idToggled, this, &RadioGroup::onButtonToggled);
    QStringList blank;
    for (int i = 0; i < itemCount; ++i)
        blank.append(QString());
    SetItems(blank);
}

int RadioGroup::ItemCount() const
{
    return static_cast<int>(m_items.size());
}

QStringList RadioGroup::Items() const
{
    QStringList texts;
    for (const QRadioButton* button : m_items)
        texts.append(button->text());
    return texts;
}

QRadioButton* RadioGroup::Button(int index) const
{
    return index >= 0 && index < ItemCount() ? m_items[index] : nullptr;
}

void RadioGroup::SetItems(const QStringList& items)
{
    const int selected = ItemIndex();
    {
        // The selection is put back below; nobody needs to hear about the rebuild.
        const QSignalBlocker blocker(m_buttons);
        for (QRadioButton* button : m_items) {
            m_buttons->removeButton(button);
            delete button;
        }
        m_items.clear();
        for (int i = 0; i < items.size(); ++i) {
            auto* button = new QRadioButton(items[i], this);
            button->setObjectName(objectName() + "_item" + QString::number(i));
            m_buttons->addButton(button, i);
            m_layout->addWidget(button);
            m_items.append(button);
        }
        if (selected >= 0 && selected < ItemCount())
            m_items[selected]->setChecked(true);
    }
    if (ItemIndex() != selected)
        emit itemIndexChanged(ItemIndex());
}

int RadioGroup::ItemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    const int before = ItemIndex();
    if (index == before)
        return;
    {
        const QSignalBlocker blocker(m_buttons);
        if (index >= 0 && index < ItemCount()) {
            m_items[index]->setChecked(true);
        } else if (QAbstractButton* checked = m_buttons->checkedButton()) {
            // An exclusive group refuses to uncheck its last checked button.
            m_buttons->setExclusive(false);
            checked->setChecked(false);
            m_buttons->setExclusive(true);
        }
    }
    if (ItemIndex() != before)
        emit itemIndexChanged(ItemIndex());
}

void RadioGroup::onButtonToggled(int /*id*/, bool checked)
{
    // A change of selection toggles two buttons; report it once, when the new one is on.
    if (checked)
        emit itemIndexChanged(ItemIndex());
}

} // namespace ondrix
