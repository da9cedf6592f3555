// The rows of the results table that the window shows: those of the chosen
// filter, in the table's own order. It hides rows without removing them:
// the results model keeps every row, sorts them and saves them, and this
// model follows its inserts, sorts and clears. UI thread only.
#pragma once

#include <QSortFilterProxyModel>

#include "engine/result_filter.h"

class CResultsModel;

class CShownResultsModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    CShownResultsModel(CResultsModel* results, QObject* parent);

    void SetFilter(ResultFilter filter);
    [[nodiscard]] ResultFilter Filter() const { return m_filter; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    CResultsModel* m_results;
    ResultFilter m_filter = ResultFilter::kAll;
};
