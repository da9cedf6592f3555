// The rows of the results table behind the list view (control 1002): three
// texts and a state icon per row, appended in the order the scan adds them
// and sorted by one column on a header click. UI thread only; scan threads
// reach it through the window's synchronous calls.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <array>
#include <optional>
#include <vector>

#include "engine/main_window_record.h"

inline constexpr int kResultColumnCount = 3;
inline constexpr std::array<int, kResultColumnCount> kResultColumnWidths{350, 180, 350};

class CResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // icons: the pictures of ResultIcon kOk, kError and kSkipped, in that order.
    CResultsModel(std::array<QIcon, 3> icons, QObject* parent);

    void Append(const ResultRow& row);
    void Clear();
    // Sorts every row ascending by the column's text in code-unit order; the
    // selected row stays selected wherever it moves.
    void SortByColumn(int column);

    [[nodiscard]] const std::vector<ResultRow>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::array<QIcon, 3> m_icons;
    std::vector<ResultRow> m_rows;
};
