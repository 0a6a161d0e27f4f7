// Names pasted from a spreadsheet: the cells in reading order, cleaned into a class list.
#include "app/pasted_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app::paste {
namespace {

using Names16 = std::vector<std::u16string>;

TEST(PastedNames, CellsBecomeAClassListInReadingOrder) {
  struct Case {
    std::u16string text;
    Names16 names, duplicates;
    size_t titles, numbers;
    const char* rule;
  } cases[] = {
      {u"", {}, {}, 0, 0, "nothing pasted, nothing found"},
      {u"张三\r\n李四\r\n", {u"张三", u"李四"}, {}, 0, 0, "one column, CRLF lines"},
      {u"张三\t李四\n王五\t赵六",
       {u"张三", u"李四", u"王五", u"赵六"},
       {},
       0,
       0,
       "row by row, left to right; a last line without a line end counts"},
      {u"学号\t姓 名\t姓名\r\n1\t张三\t李四\r\n02\t\t王五\r\n",
       {u"张三", u"李四", u"王五"},
       {},
       3,
       2,
       "the titles of the first line and register numbers go; empty cells are skipped"},
      {u"学号\t姓名\t姓名\r\n1\t张三\t李四\r\n2\t王五\t\r\n3\t赵六\t张三\r\n",
       {u"张三", u"李四", u"王五", u"赵六"},
       {u"张三"},
       3,
       3,
       "the teachers' example: two name columns read row by row, a repeat said"},
      {u"\r\n\t\r\n姓名\r\n张三\r\n姓名\r\n",
       {u"张三", u"姓名"},
       {},
       1,
       0,
       "the title counts only on the first line that holds anything"},
      {u"  张三 \t\x3000李四\x3000\r\n\xFEFF王五\xA0",
       {u"张三", u"李四", u"王五"},
       {},
       0,
       0,
       "blanks around a cell go, full-width and no-break blanks too"},
      {u"张三\r\n李四\r\n张三\r\n张三\r\n李四",
       {u"张三", u"李四"},
       {u"张三", u"李四"},
       0,
       0,
       "a repeat is left out and said once"},
      {u"\"张\"\"三\"\t\"李\r\n四\"\r\n王 五",
       {u"张\"三", u"李 四", u"王 五"},
       {},
       0,
       0,
       "a quoted cell keeps its tab-free text; its line break is a blank"},
      {u"１２３\t12a\r\nName\r\n",
       {u"12a", u"Name"},
       {},
       0,
       1,
       "full-width digits are a number; digits with a letter are a name"},
      {u"\"open", {u"open"}, {}, 0, 0, "a cell left open ends with the text"},
  };
  for (const Case& c : cases) {
    const Names got = CleanNames(c.text);
    EXPECT_EQ(got.names, c.names) << c.rule;
    EXPECT_EQ(got.duplicates, c.duplicates) << c.rule;
    EXPECT_EQ(got.titles, c.titles) << c.rule;
    EXPECT_EQ(got.numbers, c.numbers) << c.rule;
  }
}

TEST(PastedNames, AClassHoldsNoMoreThanItsLimit) {
  std::u16string text;
  for (int i = 0; i < 510; ++i)
    text += u"生" + std::u16string(1, char16_t(u'A' + i % 26)) +
            std::u16string(1, char16_t(u'a' + i / 26)) + u"\t";
  const Names got = CleanNames(text);
  EXPECT_EQ(got.names.size(), kMaxNames) << "the first 500 names are taken";
  EXPECT_EQ(got.over, 10u) << "the rest are counted as left out";
}

}  // namespace
}  // namespace app::paste
