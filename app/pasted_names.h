// Names pasted from a spreadsheet: the cells of the copied block in reading order, cleaned into
// a class list. Portable and free of the runtime: the text comes in as the clipboard holds it
// (UTF-16), so that names GBK cannot hold reach a UTF-8 or UTF-16 class list file intact.
//
// Excel and WPS put a copied block on the clipboard as lines (CRLF) with a tab between cells;
// a cell holding a tab, a line break or a quotation mark stands in quotation marks, with each
// of its own quotation marks doubled.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace app::paste {

// A class list file holds no more names in one class than this.
constexpr size_t kMaxNames = 500;

inline bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
         c == u'\x00A0' || c == u'\x3000' || c == u'\xFEFF' || c == u'\x200B' || c == u'\0';
}

inline std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One cell and the line of the block it stands on (from 0).
struct Cell {
  std::u16string text;
  size_t row = 0;
};

// Every cell of the block in reading order (row by row, left to right), without the blanks
// around it; empty cells are kept. A line break or tab inside a quoted cell becomes a blank,
// since a name stands on one line of the class list file.
inline std::vector<Cell> SplitCells(std::u16string_view text) {
  std::vector<Cell> cells;
  Cell cell;
  size_t row = 0;
  bool at_start = true;  // nothing of the current cell read yet
  const auto finish = [&] {
    cell.text = std::u16string(Trim(cell.text));
    cell.row = row;
    cells.push_back(std::move(cell));
    cell = Cell();
    at_start = true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (at_start && c == u'"') {
      // A quoted cell runs to the quotation mark that is not doubled.
      size_t j = i + 1;
      for (; j < text.size(); ++j) {
        if (text[j] == u'\r' || text[j] == u'\n') {
          if (text[j] == u'\r' && j + 1 < text.size() && text[j + 1] == u'\n') ++j;
          cell.text.push_back(u' ');
        } else if (text[j] != u'"') {
          cell.text.push_back(text[j] == u'\t' ? u' ' : text[j]);
        } else if (j + 1 < text.size() && text[j + 1] == u'"') {
          cell.text.push_back(u'"');
          ++j;
        } else {
          break;
        }
      }
      i = j;  // the closing mark, or the end of a cell left open
      at_start = false;
      continue;
    }
    if (c == u'\t') {
      finish();
    } else if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      finish();
      ++row;
    } else {
      cell.text.push_back(c);
      at_start = at_start && IsBlank(c);
    }
  }
  if (!at_start || !cell.text.empty()) finish();
  return cells;
}

// A register number: digits only (half or full width).
inline bool IsNumber(std::u16string_view s) {
  if (s.empty()) return false;
  for (char16_t c : s) {
    if (!((c >= u'0' && c <= u'9') || (c >= u'\xFF10' && c <= u'\xFF19'))) return false;
  }
  return true;
}

// A column title of a register, compared without the blanks a title is often spread with
// ("姓  名") and without regard to the case of ASCII letters.
inline bool IsTitle(std::u16string_view s) {
  static const char16_t* const kTitles[] = {
      u"姓名", u"名字", u"学生姓名", u"学生",  u"名单",        u"学生名单", u"学号", u"序号",
      u"编号", u"座号", u"name",     u"names", u"studentname", u"student",  u"no",   u"no."};
  std::u16string plain;
  for (char16_t c : s) {
    if (IsBlank(c)) continue;
    plain.push_back(c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c);
  }
  for (const char16_t* t : kTitles) {
    if (plain == t) return true;
  }
  return false;
}

// The class list a pasted block gives, and what was left out of it.
struct Names {
  std::vector<std::u16string> names;       // in reading order, each once
  std::vector<std::u16string> duplicates;  // a name that stood more than once, once each
  size_t titles = 0;                       // column titles of the first line
  size_t numbers = 0;                      // register numbers
  size_t over = 0;                         // names beyond kMaxNames
};

// Takes every non-empty cell in reading order, leaving out the column titles on the first line
// that holds anything, the register numbers, and each repeat of a name.
inline Names CleanNames(std::u16string_view text) {
  Names out;
  bool first_line_seen = false;
  size_t first_line = 0;
  for (const Cell& cell : SplitCells(text)) {
    if (cell.text.empty()) continue;
    if (!first_line_seen) first_line_seen = true, first_line = cell.row;
    if (cell.row == first_line && IsTitle(cell.text)) {
      ++out.titles;
    } else if (IsNumber(cell.text)) {
      ++out.numbers;
    } else if (std::find(out.names.begin(), out.names.end(), cell.text) != out.names.end()) {
      if (std::find(out.duplicates.begin(), out.duplicates.end(), cell.text) ==
          out.duplicates.end()) {
        out.duplicates.push_back(cell.text);
      }
    } else if (out.names.size() >= kMaxNames) {
      ++out.over;
    } else {
      out.names.push_back(cell.text);
    }
  }
  return out;
}

}  // namespace app::paste
