// The rows of the results table behind the list view (control 1002): three
// texts and a state icon per row, appended in the order the scan adds them
// and sorted by one column on a header click. UI thread only; scan threads
// reach it through the window, which hands their rows over in batches.
//
// Rows that arrive one after the other are shown together, at most
// kShowRowsAfter after the first of them: the view lays out all its rows
// for every insertion, so a fast scan's thousands of rows inserted one by
// one would cost time in the square of their number. They count at once,
// in RowsAppended and in the rows per icon.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QTimer>
#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "engine/main_window_record.h"
#include "engine/result_filter.h"

inline constexpr int kResultColumnCount = 3;
inline constexpr std::array<int, kResultColumnCount> kResultColumnWidths{350, 180, 350};

class CResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // icons: the pictures of ResultIcon kOk, kError and kSkipped, in that order.
    CResultsModel(std::array<QIcon, 3> icons, QObject* parent);

    // A row appended while a stream of them arrives is shown with those that
    // follow it within kShowRowsAfter; one appended alone is shown at once.
    enum class Showing { kAtOnce, kWithTheStream };
    void Append(const ResultRow& row, Showing showing);
    void Clear();
    // Sorts every row ascending by the column's text in code-unit order; the
    // selected row stays selected wherever it moves.
    void SortByColumn(int column);

    // Every row appended, those still to be shown included.
    [[nodiscard]] const std::vector<ResultRow>& Rows();
    [[nodiscard]] int RowsAppended() const;
    [[nodiscard]] const IconCounts& Counts() const { return m_counts; }
    // A row the model shows (0 to rowCount() - 1).
    [[nodiscard]] const ResultRow& RowAt(int row) const {
        return m_rows[static_cast<std::size_t>(row)];
    }
    // Shows the rows that wait to be shown.
    void ShowWaitingRows();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::array<QIcon, 3> m_icons;
    std::vector<ResultRow> m_rows;
    std::vector<ResultRow> m_waiting;
    IconCounts m_counts;
    QTimer* m_showTimer;
};

inline constexpr std::chrono::milliseconds kShowRowsAfter{50};
