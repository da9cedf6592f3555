// The results table's rows as a Qt model.
#include "ui/skarnel/results_model.h"

#include <algorithm>
#include <numeric>

#include "engine/results_table.h"
#include "ui/framework/qt_text.h"

namespace {

constexpr std::array<const wchar_t*, kResultColumnCount> kHeadings{L"Link", L"State",
                                                                   L"Location (file:line)"};

}  // namespace

CResultsModel::CResultsModel(std::array<QIcon, 3> icons, QObject* parent)
    : QAbstractTableModel(parent), m_icons(std::move(icons)), m_showTimer(new QTimer(this)) {
    m_showTimer->setSingleShot(true);
    m_showTimer->setInterval(kShowRowsAfter);
    connect(m_showTimer, &QTimer::timeout, this, &CResultsModel::ShowWaitingRows);
}

void CResultsModel::Append(const ResultRow& row, Showing showing) {
    m_waiting.push_back(row);
    m_counts.Add(row.icon);
    if (showing == Showing::kAtOnce) {
        ShowWaitingRows();
    } else if (!m_showTimer->isActive()) {
        m_showTimer->start();
    }
}

void CResultsModel::ShowWaitingRows() {
    m_showTimer->stop();
    if (m_waiting.empty()) return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(m_waiting.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(m_waiting.begin()),
                  std::make_move_iterator(m_waiting.end()));
    m_waiting.clear();
    endInsertRows();
}

const std::vector<ResultRow>& CResultsModel::Rows() {
    ShowWaitingRows();
    return m_rows;
}

int CResultsModel::RowsAppended() const {
    return static_cast<int>(m_rows.size() + m_waiting.size());
}

void CResultsModel::Clear() {
    m_showTimer->stop();
    m_waiting.clear();
    m_counts = {};
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void CResultsModel::SortByColumn(int column) {
    if (column < 0 || column >= kResultColumnCount) return;
    ShowWaitingRows();
    std::vector<std::size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ComesBeforeByCodeUnits(ColumnText(m_rows[a], column), ColumnText(m_rows[b], column));
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<ResultRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPlace(m_rows.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        sorted.push_back(std::move(m_rows[order[place]]));
        newPlace[order[place]] = static_cast<int>(place);
    }
    m_rows = std::move(sorted);
    // Selection and current row are persistent indexes: move them with their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(
            this->index(newPlace[static_cast<std::size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int CResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kResultColumnCount;
}

QVariant CResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    const ResultRow& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return ToQString(ColumnText(row, index.column()));
    if (role == Qt::DecorationRole && index.column() == 0) {
        return m_icons[static_cast<std::size_t>(row.icon)];
    }
    return {};
}

QVariant CResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= kResultColumnCount) return {};
    return ToQString(kHeadings[static_cast<std::size_t>(section)]);
}
