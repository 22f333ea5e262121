// Tables of cases kept as rows in protocol.rows: the words of a row, and the rows of a named table.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocol_rows.h"

namespace vantor::testing_support {

// Words split at blanks outside quotes. A quoted part ("...", with \xHH \r \n \t \" \\ escapes) is kept
// decoded behind a '"' that marks it: a"b c" is the word a"b c. A lone ';' separates commands.
inline std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::string word;
    for (; i < text.size() && text[i] != ' '; ++i) {
      if (text[i] != '"') {
        word += text[i];
        continue;
      }
      word += '"';
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
          word += text[i];
          continue;
        }
        const char c = text[++i];
        if (c == 'x' && i + 2 < text.size()) {
          word += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
          i += 2;
        } else {
          word += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
      }
    }
    words.push_back(word);
  }
  return words;
}

// The text of a word: a quoted one without the '"' that marks it, any other as it is.
inline std::string Text(const std::string& word) { return word.empty() || word[0] != '"' ? word : word.substr(1); }

// The texts of a row's words from `first` on, in groups parted by the word |.
inline std::vector<std::vector<std::string>> TextGroups(const std::vector<std::string>& words, std::size_t first) {
  std::vector<std::vector<std::string>> groups(1);
  for (std::size_t i = first; i < words.size(); ++i) {
    if (words[i] == "|") {
      groups.emplace_back();
    } else {
      groups.back().push_back(Text(words[i]));
    }
  }
  return groups;
}

// Runs `check` on the words of every row of "table NAME" in protocol.rows (up to the next table or case), a
// failure naming the row; a table without rows fails.
template <typename Check>
void ForEachRow(const std::string& name, const Check& check) {
  std::istringstream text(kProtocolRows);
  bool inside = false;
  int number = 0, rows = 0;
  for (std::string line; std::getline(text, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("case ", 0) == 0 || line.rfind("table ", 0) == 0) {
      inside = line == "table " + name;
    } else if (inside) {
      SCOPED_TRACE("protocol.rows:" + std::to_string(number));
      check(Words(line));
      ++rows;
    }
  }
  EXPECT_GT(rows, 0) << "no rows in table " << name;
}

}  // namespace vantor::testing_support
