#include "engine/main_base_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sv {
namespace {

std::vector<std::size_t> matches(const MainBaseIndex& index, Record r) {
  std::vector<std::size_t> out;
  index.forEachMatch(r, [&](std::size_t start) { out.push_back(start); });
  return out;
}

TEST(MainBaseIndex, EqualKeysComeBackInFileOrderAmongManyOthers) {
  // Enough distinct keys to force probe collisions in the table.
  std::vector<std::string> storage;
  storage.reserve(20000);
  MainBaseIndex index;
  for (std::size_t i = 0; i < 10000; ++i) {
    storage.push_back("C" + std::to_string(i % 500));
    storage.push_back("R" + std::to_string(i / 500 % 2));
    index.add({storage[storage.size() - 2], storage.back(), ""}, i);
  }
  index.build();
  // Every key occurs ten times, spread over the whole file.
  for (std::size_t probe : {0u, 7u, 499u, 500u, 999u}) {
    const std::string c = "C" + std::to_string(probe % 500);
    const std::string r = "R" + std::to_string(probe / 500 % 2);
    std::vector<std::size_t> expected;
    for (std::size_t i = probe; i < 10000; i += 1000) expected.push_back(i);
    EXPECT_EQ(matches(index, {c, r, "any notes"}), expected) << c << " " << r;
  }
  EXPECT_TRUE(matches(index, {"C1", "R9", ""}).empty());
}

TEST(MainBaseIndex, KeysAreCompareBytesNotConcatenations) {
  MainBaseIndex index;
  index.add({"AB", "C", ""}, 0);
  index.add({"A", "BC", ""}, 1);
  index.build();
  EXPECT_EQ(matches(index, {"AB", "C", ""}), std::vector<std::size_t>{0});
  EXPECT_EQ(matches(index, {"A", "BC", ""}), std::vector<std::size_t>{1});
  EXPECT_TRUE(matches(index, {"ABC", "", ""}).empty());
}

TEST(MainBaseIndex, EmptyIndexFindsNothing) {
  MainBaseIndex index;
  index.build();
  EXPECT_TRUE(matches(index, {"", "", ""}).empty());
}

}  // namespace
}  // namespace sv
