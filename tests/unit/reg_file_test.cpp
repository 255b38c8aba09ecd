#include <gtest/gtest.h>

#include "platform/reg_file.h"

namespace platform {
namespace {

constexpr const char* kKey = "Software\\Quillmark\\Tallowcraft";

std::string Hive(const std::string& body) {
  return "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\r\n" +
         body;
}

TEST(RegFile, parse_readsEveryValueForm) {
  const struct {
    const char* line;
    RegValue expected;
  } kCases[] = {
      {"\"A\"=dword:0000001f", RegValue::Dword(31)},
      {"\"A\"=dword:FFFFFFFF", RegValue::Dword(0xFFFFFFFF)},
      {"\"A\"=hex(b):01,00,00,00,00,00,00,80", RegValue::Qword(0x8000000000000001ull)},
      {"\"A\"=\"C:\\\\jobs \\\"x\\\"\"", RegValue::String("C:\\jobs \"x\"")},
      {"\"A\" = \"caf\xC3\xA9\"", RegValue::String("caf\xC3\xA9")},
      {"\"A\"=hex(2):25,00,54,00,00,00", RegValue::ExpandString("%T")},
      {"\"A\"=hex:de,ad,\\\n  be,ef", RegValue::Binary("\xDE\xAD\xBE\xEF")},
      {"\"A\"=hex:", RegValue::Binary("")},
      {"\"A\"=hex(0):07", RegValue{REG_NONE, "\x07"}},
  };
  for (const auto& c : kCases) {
    const RegFile file = RegFile::Parse(Hive(std::string(c.line) + "\n"), "t.reg");
    const RegValue* value = file.Find(kKey, "a");
    ASSERT_NE(value, nullptr) << c.line;
    EXPECT_EQ(*value, c.expected) << c.line;
  }
}

TEST(RegFile, parse_reportsFileAndLineOfTheProblem) {
  const struct {
    const char* body;
    const char* where;
  } kCases[] = {
      {"\"A\"=dword:123456789\n", "t.reg:4: "},
      {"\"A\"=dword:xyz\n", "t.reg:4: "},
      {"\"A\"=\"open\n", "t.reg:4: "},
      {"\"A\"=\"C:\\jobs\"\n", "t.reg:4: "},
      {"\"A\"=hex:1,2,zz\n", "t.reg:4: "},
      {"\n\"A\"=-\n", "t.reg:5: "},
      {"[-HKEY_CURRENT_USER\\Software]\n", "t.reg:4: "},
      {"\"A\"=hex:01,\\\n", "t.reg:4: "},
      {"garbage\n", "t.reg:4: "},
      {"\"A\"=text\n", "t.reg:4: "},
      {"\"A\"=\"x\" trailing\n", "t.reg:4: "},
      {"\"A\"=\"bad \xFF utf8\"\n", "t.reg:4: "},
  };
  for (const auto& c : kCases) {
    try {
      RegFile::Parse(Hive(c.body), "t.reg");
      ADD_FAILURE() << "accepted: " << c.body;
    } catch (const RegistryError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.where, 0), 0u) << error.what();
    }
  }
}

TEST(RegFile, parse_refusesValuesBeforeAKeyAndAMissingHeader) {
  EXPECT_THROW(RegFile::Parse("Windows Registry Editor Version 5.00\n\"A\"=dword:1\n", "t"),
               RegistryError);
  EXPECT_THROW(RegFile::Parse("REGEDIT5\n", "t"), RegistryError);
  EXPECT_NO_THROW(RegFile::Parse("", "t"));
  EXPECT_NO_THROW(RegFile::Parse("\n\n", "t"));
}

TEST(RegFile, parse_readsUtf16WithByteOrderMarks) {
  const std::string text = Hive("\"T\"=\"caf\xC3\xA9\"\r\n");
  std::u16string units = u"\uFEFF";
  // The test text is ASCII apart from one "é".
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<uint8_t>(text[i]) == 0xC3) {
      units.push_back(u'\u00E9');
      ++i;
    } else {
      units.push_back(static_cast<char16_t>(text[i]));
    }
  }
  std::string little;
  std::string big;
  for (char16_t unit : units) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  for (const std::string& bytes : {little, big, "\xEF\xBB\xBF" + text}) {
    const RegFile file = RegFile::Parse(bytes, "t.reg");
    ASSERT_NE(file.Find(kKey, "T"), nullptr);
    EXPECT_EQ(file.Find(kKey, "T")->Text(), "caf\xC3\xA9");
  }
}

// Found by fuzzing: a line ended by "\r\r\n" must read back the same after a save.
TEST(RegFile, lineEndsWithSeveralCarriageReturns_surviveASave) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\r\n"
      "\"V\"=dword:00000001\r\r\n; note\r\r\n";
  const std::string saved = RegFile::Parse(text, "a.reg").Serialize();
  EXPECT_EQ(RegFile::Parse(saved, "b.reg").Serialize(), saved);
  ASSERT_NE(RegFile::Parse(text, "a.reg").Find("A", "V"), nullptr);
}

TEST(RegFile, keysAndNames_compareWithoutCaseAndLastCopyWins) {
  const RegFile file = RegFile::Parse(
      Hive("\"Silent\"=dword:0\n[hkey_current_user\\software\\quillmark\\tallowcraft\\]\n"
           "\"SILENT\"=dword:1\n[HKEY_LOCAL_MACHINE\\Software\\Quillmark\\Tallowcraft]\n"
           "\"Silent\"=dword:5\n"),
      "t");
  EXPECT_EQ(*file.Find("SOFTWARE\\QUILLMARK\\TALLOWCRAFT", "silent"), RegValue::Dword(1));
  EXPECT_TRUE(file.HasKey("Software\\Quillmark"));
  EXPECT_FALSE(file.HasKey("Software\\Quill"));
  EXPECT_FALSE(file.HasKey("Software\\Quillmark\\Tallowcraft\\PDFFormatOptions"));
}

TEST(RegFile, set_editsInPlaceAndKeepsCommentsAndOtherLines) {
  const std::string original =
      "Windows Registry Editor Version 5.00\n"
      "\n"
      "; hand-written\n"
      "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\n"
      "\"Silent\"=dword:00000001   \n"
      "; the name\n"
      "\"OutputFileName\"=\"a.pdf\"\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
      "\"X\"=\"y\"\n";
  RegFile file = RegFile::Parse(original, "t");
  EXPECT_FALSE(file.Set(kKey, "silent", RegValue::Dword(1)));
  EXPECT_EQ(file.Serialize(), original);

  EXPECT_TRUE(file.Set(kKey, "OutputFileName", RegValue::String("b \"q\".pdf")));
  EXPECT_TRUE(file.Set(kKey, "HTMLCheckBox", RegValue::Dword(0)));
  EXPECT_TRUE(file.Set(std::string(kKey) + "\\PDFFormatOptions", "PageSize", RegValue::Dword(9)));
  EXPECT_EQ(file.Serialize(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "; hand-written\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\n"
            "\"Silent\"=dword:00000001   \n"
            "; the name\n"
            "\"OutputFileName\"=\"b \\\"q\\\".pdf\"\n"
            "\"HTMLCheckBox\"=dword:00000000\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
            "\"X\"=\"y\"\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\PDFFormatOptions]\n"
            "\"PageSize\"=dword:00000009\n");
}

TEST(RegFile, set_removesShadowedCopiesOfAValue) {
  RegFile file = RegFile::Parse(Hive("\"A\"=dword:1\n\"B\"=dword:2\n\"a\"=dword:3\n"), "t");
  file.Set(kKey, "A", RegValue::Dword(4));
  EXPECT_EQ(file.Serialize(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft]\n"
            "\"B\"=dword:2\n\"A\"=dword:00000004\n");
}

TEST(RegFile, everyValueType_survivesAWriteAndARead) {
  const std::string longBinary(100, '\xAB');
  const RegValue kValues[] = {
      RegValue::Dword(0),
      RegValue::Dword(0x89ABCDEF),
      RegValue::Qword(0xFEDCBA9876543210ull),
      RegValue::String(""),
      RegValue::String("back\\slash \"quoted\" caf\xC3\xA9 \xE2\x82\xAC"),
      RegValue::String("two\nlines"),
      RegValue{REG_SZ, std::string("no terminator", 13)},
      RegValue::ExpandString("%HOME%/x"),
      RegValue::Binary(longBinary),
      RegValue::Binary(std::string("\0\1", 2)),
      RegValue{REG_DWORD, "\1\2"},
      RegValue{REG_MULTI_SZ, std::string("a\0\0\0\0\0", 6)},
  };
  RegFile file;
  int i = 0;
  for (const RegValue& value : kValues) file.Set(kKey, "V" + std::to_string(i++), value);
  const RegFile reread = RegFile::Parse(file.Serialize(), "t");
  i = 0;
  for (const RegValue& value : kValues) {
    const RegValue* read = reread.Find(kKey, "V" + std::to_string(i++));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(*read, value) << i;
  }
  for (const std::string& line : RegFile::FormatValue("B", RegValue::Binary(longBinary)))
    EXPECT_LE(line.size(), 80u);
}

TEST(RegFile, set_onAKeyKnownOnlyAsAParent_addsItsOwnSection) {
  RegFile file = RegFile::Parse(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\PDFFormatOptions]\n"
      "\"PageSize\"=dword:00000002\n",
      "t");
  EXPECT_TRUE(file.Set(kKey, "Silent", RegValue::Dword(1)));
  EXPECT_EQ(file.Find(std::string(kKey) + "\\PDFFormatOptions", "Silent"), nullptr);
  EXPECT_EQ(*file.Find(kKey, "Silent"), RegValue::Dword(1));
  EXPECT_EQ(RegFile::Parse(file.Serialize(), "t").Find(kKey, "Silent")->Number(), 1u);
}

TEST(RegFile, createKey_addsASectionOnlyWhenMissing) {
  RegFile file;
  EXPECT_TRUE(file.CreateKey("Software\\Quillmark\\Tallowcraft\\PDFFormatOptions"));
  EXPECT_FALSE(file.CreateKey("Software\\Quillmark\\Tallowcraft"));
  EXPECT_FALSE(file.CreateKey("software\\quillmark\\tallowcraft\\pdfformatoptions\\"));
  EXPECT_EQ(file.Serialize(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Tallowcraft\\PDFFormatOptions]\n");
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// Damaged files end in a RegistryError or a document, never in a crash; a
// document that parses also survives its own serialization.
TEST(RegFile, mutatedFiles_parseOrFailCleanly) {
  const std::string seed =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Quillmark]\n"
      "\"S\"=\"a \\\\ b \\\" c\"\n\"D\"=dword:0000abcd\n\"Q\"=hex(b):01,02,03,04,05,06,07,08\n"
      "\"B\"=hex:01,02,\\\n  03,04\n@=hex(2):41,00,00,00\n; note\n";
  const char kAlphabet[] =
      "\"\\[]=:,()@;-\n\r\0\xFF\xFE"
      "0aFxhexdword";
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string text = seed;
    const int edits = 1 + static_cast<int>(next() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = next() % (text.size() + 1);
      const char c = kAlphabet[next() % (sizeof kAlphabet - 1)];
      switch (next() % 3) {
        case 0:
          text.insert(at, 1, c);
          break;
        case 1:
          if (at < text.size()) text.erase(at, 1);
          break;
        default:
          if (at < text.size()) text[at] = c;
      }
    }
    try {
      RegFile file = RegFile::Parse(text, "m.reg");
      file.Set("Software\\Quillmark", "New", RegValue::Dword(1));
      const RegFile again = RegFile::Parse(file.Serialize(), "again.reg");
      EXPECT_NE(again.Find("Software\\Quillmark", "New"), nullptr) << text;
    } catch (const RegistryError&) {
    }
  }
}

}  // namespace
}  // namespace platform
