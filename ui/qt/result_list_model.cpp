#include "ui/qt/result_list_model.h"

#include "ui/design/list_rows.h"
#include "ui/qt/text_decoding.h"

#include <cassert>
#include <climits>

namespace sv {

int ResultListModel::maxRowsFor(int rowHeight) {
  assert(rowHeight > 0);
  // Some room below INT_MAX for the view's own margins.
  return INT_MAX / rowHeight - 1024;
}

ResultListModel::ResultListModel(int maxRows, QObject* parent)
    : QAbstractListModel(parent), m_maxRows(maxRows) {}

void ResultListModel::setList(ResultList list) {
  beginResetModel();
  m_list = std::move(list);
  m_rows = design::listRows(m_list.size(), m_maxRows);
  endResetModel();
}

void ResultListModel::clear() { setList(ResultList()); }

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_rows.rows;
}

QModelIndex ResultListModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || row >= m_rows.rows || column != 0 || parent.isValid()) return QModelIndex();
  return createIndex(row, 0);
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows.rows || role != Qt::DisplayRole) return QVariant();
  const auto row = static_cast<std::uint64_t>(index.row());
  if (m_rows.isNote(row)) {
    return QString::fromStdString(design::cutNote(m_list.size() - m_rows.shownItems));
  }
  return decodeForDisplay(m_list.item(row));
}

}  // namespace sv
