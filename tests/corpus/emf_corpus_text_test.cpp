// The text records of the real metafiles come back out of the converted PDFs.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "emf2pdf/emf_records.h"
#include "support/emf_convert_support.h"
#include "support/temp_folder.h"

namespace {

using testing_support::HaveTool;
using testing_support::ReadFile;
using testing_support::RunCommand;

using emf2pdf::emr::EMR_EXTTEXTOUTW;
using emf2pdf::emr::ETO_GLYPH_INDEX;

uint32_t U32(const std::string& data, size_t at) {
  if (at + 4 > data.size()) return 0;
  return uint32_t(uint8_t(data[at])) | uint32_t(uint8_t(data[at + 1])) << 8 |
         uint32_t(uint8_t(data[at + 2])) << 16 | uint32_t(uint8_t(data[at + 3])) << 24;
}

// Words of four or more ASCII letters in the file's EXTTEXTOUTW records that
// are not glyph indices.
std::set<std::string> TextRecordWords(const std::string& emf) {
  std::set<std::string> words;
  size_t at = 0;
  while (at + 8 <= emf.size()) {
    const uint32_t type = U32(emf, at), size = U32(emf, at + 4);
    if (size < 8 || size > emf.size() - at) break;
    // nChars at 44, offString at 48 and fOptions at 52 from the record start.
    if (type == EMR_EXTTEXTOUTW && size >= 76 && !(U32(emf, at + 52) & ETO_GLYPH_INDEX)) {
      const uint32_t count = U32(emf, at + 44);
      const uint32_t offString = U32(emf, at + 48);
      std::string word;
      for (uint32_t i = 0; i < count && offString + 2ull * i + 1 < size; ++i) {
        const char16_t unit = static_cast<char16_t>(uint8_t(emf[at + offString + 2 * i]) |
                                                    uint8_t(emf[at + offString + 2 * i + 1]) << 8);
        if (unit < 128 && std::isalpha(unit)) {
          word.push_back(static_cast<char>(unit));
          continue;
        }
        if (word.size() >= 4) words.insert(word);
        word.clear();
      }
      if (word.size() >= 4) words.insert(word);
    }
    at += size;
  }
  return words;
}

// Text without white space: runs placed one by one come apart in pdftotext
// where a substituted face is wider or narrower than the original.
std::string WithoutSpaces(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) out.push_back(c);
  return out;
}

// The literal strings of the content streams, joined in their order.
std::string JoinedStrings(const std::string& content) {
  std::string out;
  bool inside = false;
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (!inside) {
      inside = c == '(';
      continue;
    }
    if (c == '\\' && i + 1 < content.size()) {
      out.push_back(content[++i]);
    } else if (c == ')') {
      inside = false;
    } else {
      out.push_back(c);
    }
  }
  return WithoutSpaces(out);
}

TEST(EmfCorpusText, textRecords_comeBackThroughPdftotext) {
  const auto files = emw_test::CorpusFiles("emf");
  if (files.empty()) GTEST_SKIP() << "corpus not found at " << TALLOWCRAFT_CORPUS_DIR;
  if (!HaveTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
  testing_support::TempFolder folder;
  const std::string pdf = folder.file("c.pdf");
  int checkedFiles = 0;
  size_t allWords = 0, extracted = 0;
  for (const std::string& file : files) {
    const std::set<std::string> words = TextRecordWords(ReadFile(file));
    if (words.empty()) continue;
    ++checkedFiles;
    std::string error;
    ASSERT_TRUE(emw_test::ConvertPages({file}, pdf, &error)) << file << ": " << error;
    // A crop area far past the page: some pictures place text outside it,
    // and the text records are what is checked here, not the placement.
    std::string text, content;
    RunCommand("pdftotext -enc UTF-8 -raw -x -20000 -y -20000 -W 60000 -H 60000 '" + pdf + "' -",
               &text);
    // pdftotext takes rotated text apart letter by letter; the content
    // streams still hold the words as shown.
    RunCommand("qpdf --qdf --object-streams=disable '" + pdf + "' -", &content);
    text = WithoutSpaces(text);
    content = JoinedStrings(content);
    size_t found = 0;
    std::string missing;
    for (const std::string& word : words) {
      const bool inText = text.find(word) != std::string::npos;
      extracted += inText;
      if (inText || content.find(word) != std::string::npos)
        ++found;
      else
        missing += word + " ";
    }
    allWords += words.size();
    EXPECT_GE(found * 10, words.size() * 9) << file << " misses: " << missing;
  }
  // Over the whole corpus most words come back as extracted text.
  EXPECT_GE(extracted * 10, allWords * 7) << extracted << " of " << allWords;
  EXPECT_GT(checkedFiles, 0);
}

}  // namespace
