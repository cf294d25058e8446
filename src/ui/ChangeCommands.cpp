#include "ChangeCommands.h"

#include "app/options.h"

namespace ondrix {

ChangeCommands::ChangeCommands(TOptions& options, QObject* parent) : QObject(parent), m_options(options) {}

void ChangeCommands::SetEnabled(bool enabled)
{
    m_options.Enabled = enabled;
    emit enabledChanged(enabled);
}

void ChangeCommands::tbbOnOffClick()
{
    SetEnabled(!m_options.Enabled);
}

void ChangeCommands::tbbONOFFPM2Click()
{
    SetEnabled(false);
}

void ChangeCommands::tbbONOFFPM00Click()
{
    if (m_options.state == 1) {
        m_options.state = 0;
        emit modeChanged(false);
    }
    SetEnabled(true);
}

void ChangeCommands::tbbONOFFPM01Click()
{
    if (m_options.state == 0) {
        m_options.state = 1;
        emit modeChanged(true);
    }
    SetEnabled(true);
}

void ChangeCommands::tbbChStateClick()
{
    m_options.state = m_options.state == 0 ? 1 : static_cast<std::uint8_t>(m_options.state - 1);
    emit modeSwitchedByButton(m_options.state);
    emit modeChanged(m_options.state != 0);
}

} // namespace ondrix
