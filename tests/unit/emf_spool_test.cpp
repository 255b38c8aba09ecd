#include "emf2pdf/emf_spool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/emf_builder.h"
#include "support/emf_convert_support.h"
#include "support/graphics_test_support.h"
#include "support/spool_builder.h"
#include "support/temp_folder.h"

namespace emf2pdf {
namespace {

using emfbuild::EmfBuilder;
using spoolbuild::SpoolBuilder;
using testing_support::TempFolder;

std::string Bytes(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

void PatchU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string RefusalOf(const std::vector<uint8_t>& bytes) {
  try {
    ReadEmfSpool(bytes, "job.spl");
  } catch (const NotASpoolFile& e) {
    return e.what();
  }
  return "accepted";
}

// Every real spool file gives the pages it holds, each a metafile the
// converter draws; qpdf counts the pages of the PDF made of them.
TEST(EmfSpoolCorpus, everyPage_isFoundAndConverts) {
  const std::map<std::string, size_t> kPages = {
      {"EMFSpoolfileReader__EMFSpoolfileReader_00003.SPL", 2},
      {"EMFSpoolfileReader__EMFSpoolfileReader_00004.SPL", 3},
      {"EMFSpoolfileReader__EMFSpoolfileReader_00005.SPL", 3},
      {"chging__EMFParser__export_0000s10.SPL", 1},
      {"export__export_FP00004.SPL", 2},
      {"stories2__EMF_SPL-to-EMF__EMF_SPL-to-EMF_00035.SPL", 1}};
  TempFolder folder;
  size_t total = 0;
  for (const auto& path : emw_test::CorpusFiles("spl")) {
    const auto expected = kPages.find(std::filesystem::path(path).filename().string());
    if (expected == kPages.end()) continue;
    SCOPED_TRACE(path);
    const EmfSpoolFile spool = EmfSpoolFile::Load(path);
    EXPECT_EQ(spool.Spool().damage, "");
    ASSERT_EQ(spool.Spool().pages.size(), expected->second);
    std::vector<std::string> pageFiles;
    for (size_t i = 0; i < spool.Spool().pages.size(); ++i) {
      EXPECT_TRUE(spool.PageReader(i).Walk([](const EmfRecord&) {}));
      pageFiles.push_back(folder.file("page" + std::to_string(total + i) + ".emf"));
      testing_support::WriteFile(pageFiles.back(),
                                 Bytes({spool.PageBytes(i).begin(), spool.PageBytes(i).end()}));
    }
    const std::string pdf = folder.file("spool" + std::to_string(total) + ".pdf");
    std::string error;
    ASSERT_TRUE(emw_test::ConvertPages(pageFiles, pdf, &error)) << error;
    if (graphics_test::ToolAvailable("qpdf")) {
      std::string npages;
      testing_support::RunCommand("qpdf --show-npages '" + pdf + "'", &npages);
      EXPECT_EQ(std::stoul(npages), expected->second);
    }
    total += expected->second;
  }
  EXPECT_EQ(total, 12u) << "the corpus's spool files are missing";
}

TEST(EmfSpoolCorpus, headerDevModeAndMonochromeOffsets_areRead) {
  const std::string root = std::string(TALLOWCRAFT_CORPUS_DIR) + "/spl/";
  const EmfSpoolFile word = EmfSpoolFile::Load(root + "export__export_FP00004.SPL");
  EXPECT_EQ(word.Spool().documentName, "Microsoft Word - Document1");
  // The DEVMODE lies between the two pages: landscape letter from page 2 on;
  // its dmFields leaves the paper length and width unset.
  ASSERT_EQ(word.Spool().pages.size(), 2u);
  EXPECT_FALSE(word.Spool().pages[0].devMode);
  ASSERT_TRUE(word.Spool().pages[1].devMode);
  EXPECT_EQ(word.Spool().pages[1].devMode->orientation, 2);
  EXPECT_EQ(word.Spool().pages[1].devMode->paperSize, 1);
  EXPECT_EQ(word.Spool().pages[1].devMode->paperLength, 0);
  EXPECT_EQ(word.Spool().pages[0].offset, 80u);
  EXPECT_EQ(word.Spool().pages[0].size, 1415352u);

  const EmfSpoolFile text =
      EmfSpoolFile::Load(root + "stories2__EMF_SPL-to-EMF__EMF_SPL-to-EMF_00035.SPL");
  EXPECT_EQ(text.Spool().documentName, "test111.txt - Windows \uBA54\uBAA8\uC7A5");
  ASSERT_EQ(text.Spool().pages.size(), 1u);
  EXPECT_TRUE(text.Spool().pages[0].monochrome);
}

TEST(EmfSpoolKinds, otherFiles_areRefusedSayingWhatTheyAre) {
  const std::string xps = std::string(TALLOWCRAFT_CORPUS_DIR) + "/spl/export__00015.SPL";
  try {
    EmfSpoolFile::Load(xps);
    ADD_FAILURE() << "accepted the XPS spool file";
  } catch (const NotASpoolFile& e) {
    EXPECT_EQ(std::string(e.what()),
              xps + " is a ZIP package (an XPS print job's spool file), not an EMF spool file");
  }
  const std::vector<uint8_t> emf = EmfBuilder().bytes();
  EXPECT_EQ(DetectInputKind(emf), InputKind::Emf);
  EXPECT_EQ(InputKindRefusal(InputKind::Emf, "page.emf"), "");
  EXPECT_EQ(RefusalOf(emf), "job.spl is an EMF file, not an EMF spool file");
  EXPECT_EQ(DetectInputKind(SpoolBuilder().bytes()), InputKind::EmfSpool);
  // An icon starts with the spool version's bytes; its next field is no size.
  const std::vector<uint8_t> icon = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 0};
  const std::string text = "%PDF-1.4 not a print job at all";
  for (const auto& bytes :
       {icon, std::vector<uint8_t>(text.begin(), text.end()), std::vector<uint8_t>()}) {
    EXPECT_EQ(DetectInputKind(bytes), InputKind::Unknown);
    EXPECT_EQ(RefusalOf(bytes), "job.spl is neither an EMF file nor an EMF spool file");
  }
}

TEST(EmfSpool, builtRecords_givePagesDevModesAndSkippedFonts) {
  SpoolBuilder built(u"Report");
  built.record(spoolbuild::EMRI_PRESTARTPAGE, {0, 0, 0, 0});
  built.page(EmfBuilder(100, 50).rectangle({0, 0, 10, 10}).bytes());
  const size_t font = built.size();
  built.record(spoolbuild::EMRI_ENGINE_FONT, std::vector<uint8_t>(13, 7));
  built.devMode(0xF, 1, 9, 2970, 2100);
  built.page(EmfBuilder(200, 100).bytes(), spoolbuild::EMRI_BW_METAFILE, 0);
  built.page(EmfBuilder(300, 100).bytes(), spoolbuild::EMRI_METAFILE_DATA,
             spoolbuild::EMRI_BW_METAFILE_EXT);
  const EmfSpoolFile spool = EmfSpoolFile::FromBytes(built.bytes(), "built.spl");
  const EmfSpool& s = spool.Spool();
  EXPECT_EQ(s.documentName, "Report");
  EXPECT_EQ(s.damage, "");
  ASSERT_EQ(s.pages.size(), 3u);
  EXPECT_EQ(spool.PageReader(0).Header().rclBounds.right, 99);
  EXPECT_EQ(spool.PageReader(2).Header().rclBounds.right, 299);
  EXPECT_EQ(spool.PageReader(1).Name(), "built.spl page 2");
  EXPECT_FALSE(s.pages[0].devMode);
  for (size_t page : {1, 2}) {
    ASSERT_TRUE(s.pages[page].devMode);
    EXPECT_EQ(s.pages[page].devMode->paperSize, 9);
    EXPECT_EQ(s.pages[page].devMode->paperWidth, 2100);
    EXPECT_EQ(s.pages[page].devMode->paperLength, 2970);
    EXPECT_EQ(s.pages[page].devMode->orientation, 1);
  }
  EXPECT_FALSE(s.pages[0].monochrome);
  EXPECT_TRUE(s.pages[1].monochrome);
  EXPECT_TRUE(s.pages[2].monochrome);
  ASSERT_EQ(s.skipped.size(), 2u);
  EXPECT_EQ(s.skippedCount, 2u);
  EXPECT_EQ(SpoolRecordName(s.skipped[0].type), "EMRI_PRESTARTPAGE");
  EXPECT_EQ(SpoolRecordName(s.skipped[1].type), "EMRI_ENGINE_FONT");
  EXPECT_EQ(s.skipped[1].offset, font);
}

// Damage ends the pages at the damaged record; the pages before it are kept
// (a page whose offset record is damaged was read before it).
TEST(EmfSpool, damagedRecords_endThePagesThere) {
  SpoolBuilder good;
  good.page(EmfBuilder().bytes());
  const size_t second = good.size();
  const std::vector<uint8_t> page = EmfBuilder().rectangle({0, 0, 5, 5}).bytes();
  good.page(page);
  const size_t secondOffset = second + 8 + page.size();
  const std::vector<uint8_t> whole = good.bytes();

  std::vector<uint8_t> cut(whole.begin(), whole.begin() + second + 100);
  std::vector<uint8_t> lyingSize = whole;
  PatchU32(lyingSize, second + 4, 0x7FFFFFF0);
  std::vector<uint8_t> lyingEmf = whole;
  PatchU32(lyingEmf, second + 8 + 48, static_cast<uint32_t>(page.size() + 4));
  std::vector<uint8_t> notEmf = whole;
  notEmf[second + 8 + 40] = 'X';
  std::vector<uint8_t> outside = whole;
  PatchU32(outside, secondOffset + 8, static_cast<uint32_t>(secondOffset + 4));
  std::vector<uint8_t> nowhere = whole;
  PatchU32(nowhere, secondOffset + 8, static_cast<uint32_t>(page.size()));
  std::vector<uint8_t> highBits = whole;
  PatchU32(highBits, secondOffset + 12, 1);
  std::vector<uint8_t> unknown = whole;
  PatchU32(unknown, second, 0x99);
  std::vector<uint8_t> stub = whole;
  stub.insert(stub.end(), {1, 2, 3});
  const std::vector<uint8_t> headerCut(whole.begin(), whole.begin() + 20);
  SpoolBuilder shortDevMode;
  shortDevMode.page(EmfBuilder().bytes())
      .record(spoolbuild::EMRI_DEVMODE, std::vector<uint8_t>(80));

  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t at;
    size_t kept;
    std::string why;
  } kCases[] = {
      {"cut", cut, second, 1, "EMRI_METAFILE_DATA is cut short: it claims"},
      {"lying size", lyingSize, second, 1, "EMRI_METAFILE_DATA is cut short: it claims 2147483632"},
      {"lying metafile size", lyingEmf, second, 1,
       "EMRI_METAFILE_DATA holds a metafile whose sizes do not fit the record"},
      {"not a metafile", notEmf, second, 1,
       "EMRI_METAFILE_DATA does not hold an enhanced metafile"},
      {"offset outside", outside, secondOffset, 2, "EMRI_METAFILE_EXT points outside the file"},
      {"offset to no page", nowhere, secondOffset, 2, "EMRI_METAFILE_EXT points to no page"},
      {"offset past 4 GiB", highBits, secondOffset, 2, "EMRI_METAFILE_EXT points outside the file"},
      {"unknown record", unknown, second, 1, "record type 153 is unknown"},
      {"header cut", headerCut, 0, 0, "the header is cut short: it claims"},
      {"stub", stub, whole.size(), 2, "a record is cut short"},
      {"short DEVMODE", shortDevMode.bytes(), second, 1, "EMRI_DEVMODE is too short"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const EmfSpool spool = ReadEmfSpool(c.bytes, "job.spl");
    EXPECT_EQ(spool.pages.size(), c.kept);
    EXPECT_EQ(spool.damageOffset, c.at);
    EXPECT_NE(
        spool.damage.find("job.spl is damaged at byte " + std::to_string(c.at) + ": " + c.why),
        std::string::npos)
        << spool.damage;
    EXPECT_NE(spool.damage.find("the pages before it (" + std::to_string(c.kept) + ") are kept"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace emf2pdf
