// The filtered view of the results table.
#include "ui/skarnel/shown_results_model.h"

#include "ui/skarnel/results_model.h"

CShownResultsModel::CShownResultsModel(CResultsModel* results, QObject* parent)
    : QSortFilterProxyModel(parent), m_results(results) {
    // The order is the results model's: a header click sorts every row
    // there, shown or not, so this model never sorts by itself.
    setDynamicSortFilter(false);
    setSourceModel(results);
}

void CShownResultsModel::SetFilter(ResultFilter filter) {
    if (filter == m_filter) return;
    m_filter = filter;
    invalidateRowsFilter();
}

bool CShownResultsModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid()) return false;
    return PassesFilter(m_results->RowAt(sourceRow).icon, m_filter);
}
