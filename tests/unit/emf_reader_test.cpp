#include "emf2pdf/emf_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <limits>

#include "emf2pdf/record_reader.h"
#include "support/emf_builder.h"
#include "support/temp_folder.h"

namespace emf2pdf {
namespace {

using emfbuild::EmfBuilder;
using testing_support::TempFolder;
using testing_support::WriteFile;

std::vector<uint32_t> WalkTypes(const EmfReader& emf, bool* completed = nullptr) {
  std::vector<uint32_t> types;
  const bool done = emf.Walk([&](const EmfRecord& r) { types.push_back(r.type); });
  if (completed) *completed = done;
  return types;
}

void PatchU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(EmfReader, headerFields_areRead) {
  const auto emf = EmfReader::FromBytes(EmfBuilder(300, 150).handles(7).moveTo(1, 2).bytes());
  EXPECT_EQ(emf.Header().rclBounds.right, 299);
  EXPECT_EQ(emf.Header().rclBounds.bottom, 149);
  EXPECT_EQ(emf.Header().nHandles, 7);
  EXPECT_EQ(emf.Header().nRecords, 3u);
  EXPECT_EQ(emf.Header().szlDevice.cx, 1024);
}

TEST(EmfReader, filesWithoutSignature_areRefused) {
  std::vector<uint8_t> good = EmfBuilder().bytes();
  std::vector<uint8_t> noSignature = good;
  noSignature[40] = 'X';
  std::vector<uint8_t> wrongType = good;
  wrongType[0] = 2;
  std::vector<uint8_t> tinyHeader = good;
  PatchU32(tinyHeader, 4, 80);
  const std::vector<std::vector<uint8_t>> kRefused = {
      {}, std::vector<uint8_t>(87, 0), noSignature, wrongType, tinyHeader};
  for (const auto& bytes : kRefused) {
    try {
      EmfReader::FromBytes(bytes, "page.emf");
      ADD_FAILURE() << "accepted " << bytes.size() << " bytes";
    } catch (const NotAMetafile& e) {
      EXPECT_STREQ(e.what(), "page.emf is not an enhanced metafile");
    }
  }
}

TEST(EmfReader, onlyRegularFiles_areRead) {
  TempFolder folder;
  const std::string fifo = folder.file("page.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* reason;
  } kCases[] = {
      {"/nonexistent/page.emf", "No such file"},
      {"/dev/zero", "it is a device, not a file"},
      {fifo, "it is a pipe or socket, not a file"},  // refused at once, never waited on
      {folder.path(), "it is a folder, not a file"},
  };
  for (const auto& c : kCases) {
    try {
      EmfReader::Load(c.path);
      ADD_FAILURE() << "read " << c.path;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.path + ": " + c.reason), std::string::npos)
          << e.what();
    }
  }
}

// Files grown sparse to gigabytes cost only the records they hold: the
// reading stops at EMR_EOF or at the header's nBytes.
TEST(EmfReader, sparseHugeFiles_readOnlyTheirRecords) {
  std::vector<uint8_t> page = EmfBuilder().moveTo(1, 2).bytes();
  std::vector<uint8_t> noEof = page;
  PatchU32(page, 48, 0xFFFFFFF0);   // nBytes claims the hole too; EMR_EOF ends the records
  noEof.resize(noEof.size() - 20);  // EMR_EOF is 20 bytes
  PatchU32(noEof, 48, static_cast<uint32_t>(noEof.size()));  // nBytes
  for (const auto& bytes : {page, noEof}) {
    TempFolder folder;
    const std::string path = folder.file("sparse.emf");
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(::truncate(path.c_str(), off_t{4} << 30), 0);
    EXPECT_EQ(EmfReader::Load(path).Bytes().size(), bytes.size());
  }
}

TEST(EmfReader, recordsPastTheLimit_areRefusedByName) {
  TempFolder folder;
  const std::string path = folder.file("huge.emf");
  std::vector<uint8_t> bytes = EmfBuilder().bytes();
  const size_t header = bytes[4];  // the header record's size
  bytes.resize(header + 8);
  PatchU32(bytes, 48, 0);                   // no nBytes: the file's size bounds the records
  PatchU32(bytes, header, 70);              // EMR_GDICOMMENT
  PatchU32(bytes, header + 4, 0x60000000);  // of 1.5 GiB
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(::truncate(path.c_str(), off_t{2} << 30), 0);
  try {
    EmfReader::Load(path);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(path + ": it is larger than 1024 MiB"), std::string::npos)
        << e.what();
  }
}

TEST(EmfReader, walk_visitsEveryRecordInOrder) {
  const auto emf = EmfReader::FromBytes(EmfBuilder().moveTo(1, 2).lineTo(3, 4).bytes());
  bool completed = false;
  EXPECT_EQ(WalkTypes(emf, &completed), (std::vector<uint32_t>{1, 27, 54, 14}));
  EXPECT_TRUE(completed);
}

TEST(EmfReader, brokenRecordSize_endsTheWalkKeepingEarlierRecords) {
  const std::vector<uint8_t> good = EmfBuilder().moveTo(1, 2).lineTo(3, 4).bytes();
  const size_t lineToSize = 108 + 16 + 4;  // header, MOVETOEX, then LINETO's size field
  const struct {
    const char* name;
    uint32_t size;
  } kCases[] = {{"zero", 0}, {"below 8", 4}, {"not a multiple of 4", 18}, {"past the end", 4096}};
  for (const auto& c : kCases) {
    std::vector<uint8_t> bytes = good;
    PatchU32(bytes, lineToSize, c.size);
    bool completed = true;
    EXPECT_EQ(WalkTypes(EmfReader::FromBytes(bytes), &completed), (std::vector<uint32_t>{1, 27}))
        << c.name;
    EXPECT_FALSE(completed) << c.name;
  }
}

TEST(EmfReader, truncatedFile_endsTheWalk) {
  std::vector<uint8_t> bytes = EmfBuilder().moveTo(1, 2).lineTo(3, 4).bytes();
  bytes.resize(bytes.size() - 22);  // EOF and half of LINETO gone
  bool completed = true;
  EXPECT_EQ(WalkTypes(EmfReader::FromBytes(bytes), &completed), (std::vector<uint32_t>{1, 27}));
  EXPECT_FALSE(completed);
}

TEST(RecordReader, readsPastTheRecord_throw) {
  std::vector<uint8_t> record;
  emfbuild::PutU32(record, 4);
  emfbuild::PutU32(record, 20);
  emfbuild::PutU32(record, 0xFFFFFFFF);  // a count no record can hold
  emfbuild::PutU32(record, 1);
  emfbuild::PutU32(record, 2);
  RecordReader in(record);
  const uint32_t count = in.U32();
  EXPECT_THROW(in.PointsL(count), MalformedRecord);
  EXPECT_THROW(in.PointsS(count), MalformedRecord);
  EXPECT_THROW(in.U32s(3), MalformedRecord);
  EXPECT_EQ(in.PointsS(2).size(), 2u);
  EXPECT_THROW(in.U8(), MalformedRecord);
  EXPECT_THROW(in.BytesAt(std::numeric_limits<size_t>::max(), 2), MalformedRecord);
  EXPECT_THROW(in.BytesAt(16, 8), MalformedRecord);
  EXPECT_THROW(in.Seek(21), MalformedRecord);
}

TEST(RecordReader, nonFiniteFloat_throws) {
  for (uint32_t bits : {0x7F800000u, 0xFF800000u, 0x7FC00000u}) {
    std::vector<uint8_t> record(8, 0);
    emfbuild::PutU32(record, bits);
    RecordReader in(record);
    EXPECT_THROW(in.F32(), MalformedRecord) << std::hex << bits;
  }
}

}  // namespace
}  // namespace emf2pdf
