#pragma once

#include <QObject>

#include <vector>

class QHeaderView;

namespace ondrix {

// Keeps each column of a list view between its own minimum and maximum width, which a
// header view cannot do per column by itself.
class ColumnLimits : public QObject
{
    Q_OBJECT
public:
    ColumnLimits(QHeaderView* header, std::vector<int> minimums);

    // First the maximum, then the width, as the window's resize sets them.
    void SetMaximumAndWidth(int column, int width);
    int Maximum(int column) const;

private:
    void Clamp(int column, int width);

    QHeaderView* m_header;
    std::vector<int> m_minimums;
    std::vector<int> m_maximums;
    bool m_clamping = false;
};

} // namespace ondrix
