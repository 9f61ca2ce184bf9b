// The list model over the engine's result lists, also with a million records.

#include "ui/main/result_list_model.h"

#include "engine/result_list.h"

#include <QListView>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

namespace sv {
namespace {

ResultList listOf(std::string bytes, std::size_t records, std::size_t recordLength) {
  ResultList list(std::make_shared<StringContents>(std::move(bytes)));
  for (std::size_t k = 0; k < records; ++k) list.append(k * recordLength, (k + 1) * recordLength);
  return list;
}

TEST(ResultListModelTest, ShowsEachItemOfTheListInOrder) {
  ResultListModel model;
  EXPECT_EQ(model.rowCount(), 0);
  model.setList(listOf("A1\r\nB1\r\n\xD2\xE2\r\nA2\r\nB2\r\nnote\r\n", 2, 14));
  ASSERT_EQ(model.rowCount(), 6);
  EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("A1"));
  EXPECT_EQ(model.index(2, 0).data().toString(), QStringLiteral("Тв"));
  EXPECT_EQ(model.index(5, 0).data().toString(), QStringLiteral("note"));
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
  ResultList list(contents);
  for (std::size_t k = 0; k < kRecords; ++k) list.append(k * record.size(), (k + 1) * record.size());

  QListView view;
  view.resize(200, 134);
  view.setUniformItemSizes(true);
  ResultListModel model;
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
}

}  // namespace
}  // namespace sv
