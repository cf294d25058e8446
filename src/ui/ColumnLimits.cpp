#include "ColumnLimits.h"

#include <QHeaderView>

#include <algorithm>
#include <utility>

namespace ondrix {

ColumnLimits::ColumnLimits(QHeaderView* header, std::vector<int> minimums)
    : QObject(header), m_header(header), m_minimums(std::move(minimums)), m_maximums(m_minimums)
{
    m_header->setStretchLastSection(false);
    m_header->setMinimumSectionSize(1);
    for (std::size_t i = 0; i < m_minimums.size(); ++i)
        m_header->resizeSection(static_cast<int>(i), m_minimums[i]);
    connect(m_header, &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { Clamp(column, width); });
}

void ColumnLimits::SetMaximumAndWidth(int column, int width)
{
    const auto index = static_cast<std::size_t>(column);
    // A maximum below the design minimum would let the column shrink under the design.
    m_maximums.at(index) = std::max(width, m_minimums.at(index));
    m_header->resizeSection(column, width);
}

int ColumnLimits::Maximum(int column) const
{
    return m_maximums.at(static_cast<std::size_t>(column));
}

void ColumnLimits::Clamp(int column, int width)
{
    if (m_clamping || column < 0 || static_cast<std::size_t>(column) >= m_minimums.size())
        return;
    const auto index = static_cast<std::size_t>(column);
    const int clamped = std::clamp(width, m_minimums[index], m_maximums[index]);
    if (clamped == width)
        return;
    m_clamping = true;
    m_header->resizeSection(column, clamped);
    m_clamping = false;
}

} // namespace ondrix
