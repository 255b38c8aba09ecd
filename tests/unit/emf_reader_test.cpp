#include "emf2pdf/emf_reader.h"

#include <gtest/gtest.h>

#include <limits>

#include "emf2pdf/record_reader.h"
#include "support/emf_builder.h"

namespace emf2pdf {
namespace {

using emfbuild::EmfBuilder;

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

TEST(EmfReader, missingFile_throwsWithItsName) {
  try {
    EmfReader::Load("/nonexistent/page.emf");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/page.emf"), std::string::npos);
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
