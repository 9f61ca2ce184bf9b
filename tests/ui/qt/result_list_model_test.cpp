// The list model over the engine's result lists: items in order, a million
// records at no cost per item, and lists longer than a view can lay out cut
// at whole records with a note.

#include "ui/qt/result_list_model.h"

#include "engine/result_list.h"

#include <QListView>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTest>

#include <climits>
#include <gtest/gtest.h>
#include <memory>

namespace sv {
namespace {

constexpr int kRowHeight = 13;

ResultList listOf(std::string bytes, std::size_t records, std::size_t recordLength) {
  auto kept = std::make_shared<KeptRecords>();
  for (std::size_t k = 0; k < records; ++k)
    kept->append({k * recordLength, (k + 1) * recordLength});
  return ResultList(std::make_shared<StringContents>(std::move(bytes)), kept);
}

// The compared side of one record that has partners main-base partners: a
// list of 3 * partners items that costs one entry, however long it is.
ResultList repeated(std::uint64_t partners) {
  auto coincidences = std::make_shared<Coincidences>();
  coincidences->append({0, 12}, {partners, 0});
  return ResultList(std::make_shared<StringContents>("UA3A\r\nMO\r\nn\r\n"), coincidences,
                    ResultList::Side::Compared);
}

TEST(ResultListModelTest, ShowsEachItemOfTheListInOrder) {
  ResultListModel model(ResultListModel::maxRowsFor(kRowHeight));
  EXPECT_EQ(model.rowCount(), 0);
  model.setList(listOf("A1\r\nB1\r\n\xD2\xE2\r\nA2\r\nB2\r\nnote\r\n", 2, 14));
  ASSERT_EQ(model.rowCount(), 6);
  EXPECT_FALSE(model.cut());
  EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("A1"));
  EXPECT_EQ(model.index(2, 0).data().toString(), QStringLiteral("Тв"));
  EXPECT_EQ(model.index(5, 0).data().toString(), QStringLiteral("note"));
  EXPECT_FALSE(model.index(6, 0).isValid());
  EXPECT_FALSE(model.index(0, 0).data(Qt::EditRole).isValid());
  model.clear();
  EXPECT_EQ(model.rowCount(), 0);
}

// A list of millions of items must cost no more than the rows on screen: the
// view makes no widget per item, and the model keeps the run's bytes shared
// rather than copying them into strings.
TEST(ResultListModelTest, AMillionRecordsMakeNoWidgetsOrCopiesPerItem) {
  constexpr std::size_t kRecords = 1'000'000;
  const std::string record = "UA3AAA\r\nMO-12\r\nnotes\r\n";
  std::string bytes;
  bytes.reserve(record.size() * kRecords);
  for (std::size_t k = 0; k < kRecords; ++k) bytes += record;
  auto contents = std::make_shared<StringContents>(std::move(bytes));
  auto kept = std::make_shared<KeptRecords>();
  for (std::size_t k = 0; k < kRecords; ++k)
    kept->append({k * record.size(), (k + 1) * record.size()});
  const ResultList list(contents, kept);

  QListView view;
  view.resize(200, 134);
  view.setUniformItemSizes(true);
  ResultListModel model(ResultListModel::maxRowsFor(kRowHeight));
  view.setModel(&model);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const qsizetype widgetsBefore = view.findChildren<QWidget*>().size();
  const long sharesBefore = contents.use_count();

  model.setList(list);
  const QModelIndex last = model.index(model.rowCount() - 1, 0);
  view.selectionModel()->setCurrentIndex(last, QItemSelectionModel::ClearAndSelect);
  view.scrollTo(last);
  view.repaint();

  EXPECT_EQ(model.rowCount(), 3'000'000);
  EXPECT_EQ(last.data().toString(), QStringLiteral("notes"));
  EXPECT_EQ(view.findChildren<QWidget*>().size(), widgetsBefore);
  EXPECT_EQ(contents.use_count(), sharesBefore + 1) << "the model shares the bytes once";
  EXPECT_EQ(kept.use_count(), 3) << "and the list's records: the test's, the list's, the model's";
}

TEST(ResultListModelTest, ListsLongerThanTheViewTakesEndInANoteAfterWholeRecords) {
  ResultListModel model(11);
  model.setList(repeated(3));  // 9 items: all fit
  EXPECT_EQ(model.rowCount(), 9);
  EXPECT_FALSE(model.cut());
  model.setList(repeated(4));  // 12 items: three records shown, then the note
  ASSERT_EQ(model.rowCount(), 10);
  EXPECT_TRUE(model.cut());
  EXPECT_EQ(model.index(8, 0).data().toString(), QStringLiteral("n"));
  EXPECT_EQ(model.index(9, 0).data().toString(), ResultListModel::cutNote(3));
  EXPECT_EQ(ResultListModel::cutNote(1234567), QStringLiteral("... 1234567 more items not shown"));

  // Three billion items are more than an int can count: the row count stays
  // the limit, with no wrap, and the view can still reach the last row.
  ResultListModel full(ResultListModel::maxRowsFor(kRowHeight));
  full.setList(repeated(1'000'000'000));
  const int rows = full.rowCount();
  EXPECT_EQ(rows % 3, 1);
  EXPECT_GT(rows, 100'000'000);
  EXPECT_LE(static_cast<long long>(rows) * kRowHeight, INT_MAX);
  EXPECT_EQ(full.index(rows - 2, 0).data().toString(), QStringLiteral("n"));
  EXPECT_EQ(full.index(rows - 1, 0).data().toString(),
            ResultListModel::cutNote(3'000'000'000ull - (rows - 1)));
}

class RowsOfHeight : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
  }
};

// A view with as many rows as the limit allows lays them all out: its last
// row can be selected and scrolled to.
TEST(ResultListModelTest, TheViewReachesTheLastRowAtTheLimit) {
  ResultListModel model(ResultListModel::maxRowsFor(kRowHeight));
  model.setList(repeated(1'000'000'000));
  QListView view;
  view.resize(137, 134);
  view.setUniformItemSizes(true);
  view.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  view.setModel(&model);
  view.setItemDelegate(new RowsOfHeight(&view));
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const QModelIndex last = model.index(model.rowCount() - 1, 0);
  view.selectionModel()->setCurrentIndex(last, QItemSelectionModel::ClearAndSelect);
  view.scrollTo(last);
  QCoreApplication::processEvents();
  EXPECT_GT(view.verticalScrollBar()->maximum(), model.rowCount() - 20);
  EXPECT_EQ(view.indexAt(view.visualRect(last).center()), last);
}

}  // namespace
}  // namespace sv
