// The trace of a page: every record with its offset, its name and the device
// calls it made, or why it was dropped; and the tee leaves the page as it was.
#include <gtest/gtest.h>

#include "emf2pdf/record_trace.h"
#include "support/emf_builder.h"
#include "support/emw_play_support.h"

namespace {

using emf2pdf::TraceMode;
using emfbuild::EmfBuilder;
using emw_test::TraceLines;
using Lines = std::vector<std::string>;

constexpr uint32_t kNullPen = 0x80000008;
constexpr uint32_t kBlue = emfbuild::Rgb(0, 0, 255);

// A page with a record of every outcome: drawn, state only, unknown type,
// too short, and data the reader refuses (five points promised, none given).
EmfBuilder MixedPage() {
  std::vector<uint8_t> noPoints;
  emfbuild::PutRect(noPoints, {});
  emfbuild::PutU32(noPoints, 5);
  return std::move(EmfBuilder()
                       .createBrushIndirect(1, 0, kBlue)
                       .selectObject(1)
                       .rectangle({10, 10, 50, 40})
                       .record(200, {})
                       .record(86, {0, 0, 0, 0})
                       .record(86, noPoints));
}

TEST(RecordTrace, builderPage_listsEveryRecordWithItsCallsOrItsReason) {
  // Offsets: the header is 108 bytes; then 24, 12, 24, 8, 12 and 28.
  EXPECT_EQ(TraceLines(MixedPage().bytes()),
            (Lines{
                "tallowcraft: trace of page 1 (page.emf)",
                "  begin: pen width 0.75, cap 2, join 2",
                "  @0 EMR_HEADER",
                "  @108 EMR_CREATEBRUSHINDIRECT",
                "  @132 EMR_SELECTOBJECT",
                "  @144 EMR_RECTANGLE",
                "    path 7.5,7.5 37.5,30: fill #0000FF, stroke #000000 width 0.75",
                "  @168 type 200: dropped, unsupported",
                "  @176 EMR_POLYGON16: dropped, malformed: 12 bytes, at least 28 needed",
                "  @188 EMR_POLYGON16: dropped, malformed: point count exceeds the record",
                "  @216 EMR_EOF: ignored",
                "  end",
                "tallowcraft: page 1 (page.emf): 3 records dropped",
            }));
}

TEST(RecordTrace, verbose_listsTheDroppedRecordsAndTheirCount) {
  EXPECT_EQ(TraceLines(MixedPage().bytes(), TraceMode::kDropped),
            (Lines{
                "tallowcraft: page 1 (page.emf): @168 type 200: dropped, unsupported",
                "tallowcraft: page 1 (page.emf): @176 EMR_POLYGON16: dropped, malformed: 12 "
                "bytes, at least 28 needed",
                "tallowcraft: page 1 (page.emf): @188 EMR_POLYGON16: dropped, malformed: point "
                "count exceeds the record",
                "tallowcraft: page 1 (page.emf): 3 records dropped",
            }));
  EXPECT_EQ(TraceLines(EmfBuilder().rectangle({0, 0, 5, 5}).bytes(), TraceMode::kDropped),
            Lines{"tallowcraft: page 1 (page.emf): 0 records dropped"});
}

TEST(RecordTrace, clippedAwayUnknownAndABrokenSize_areDroppedWithTheirReason) {
  std::vector<uint8_t> text(76, 0);
  std::vector<uint8_t> bytes = EmfBuilder()
                                   .intersectClipRect({0, 0, 20, 20})
                                   .selectObject(kNullPen)
                                   .rectangle({100, 50, 150, 90})
                                   .rectangle({10, 10, 150, 90})
                                   .beginPath()
                                   .record(200, text)
                                   .abortPath()
                                   .bytes();
  // The end record claims more bytes than the file holds.
  bytes[bytes.size() - 16] = 0x40;
  const Lines trace = TraceLines(bytes, TraceMode::kDropped);
  EXPECT_EQ(trace, (Lines{
                       "tallowcraft: page 1 (page.emf): @144 EMR_RECTANGLE: dropped, outside the "
                       "clip",
                       "tallowcraft: page 1 (page.emf): @200 type 200: dropped, unsupported",
                       "tallowcraft: page 1 (page.emf): @292 EMR_EOF: dropped, malformed: its "
                       "size does not fit the file; the records from here on are not read",
                       "tallowcraft: page 1 (page.emf): 3 records dropped",
                   }));
}

TEST(RecordTrace, tee_leavesTheFormAsItIsWithoutTheTrace) {
  const std::vector<std::vector<uint8_t>> pages = {
      MixedPage().bytes(),
      EmfBuilder()
          .intersectClipRect({5, 5, 120, 80})
          .createPen(1, 2, 1, kBlue)
          .selectObject(1)
          .ellipse({0, 0, 100, 60})
          .polyBezier16({{0, 0}, {10, 40}, {60, 40}, {90, 0}})
          .fillRgn({{0, 0, 40, 40}})
          .bytes(),
  };
  for (const auto& page : pages) {
    Lines traced;
    TraceLines(page, TraceMode::kFull, &traced);
    EXPECT_FALSE(traced.empty());
    EXPECT_EQ(traced, emw_test::FormLines(page));
  }
}

TEST(RecordTrace, namesAndModes) {
  EXPECT_EQ(emf2pdf::RecordTypeName(1), "EMR_HEADER");
  EXPECT_EQ(emf2pdf::RecordTypeName(70), "EMR_COMMENT");
  EXPECT_EQ(emf2pdf::RecordTypeName(122), "EMR_CREATECOLORSPACEW");
  EXPECT_EQ(emf2pdf::RecordTypeName(69), "type 69");
  EXPECT_EQ(emf2pdf::RecordTypeName(123), "type 123");
  EXPECT_TRUE(emf2pdf::IgnoredByDesign(98));   // EMR_SETICMMODE
  EXPECT_FALSE(emf2pdf::IgnoredByDesign(13));  // EMR_SETBRUSHORGEX moves patterns
  EXPECT_FALSE(emf2pdf::IgnoredByDesign(200));
  EXPECT_EQ(emf2pdf::ParseTraceMode(""), TraceMode::kOff);
  EXPECT_EQ(emf2pdf::ParseTraceMode("0"), TraceMode::kOff);
  EXPECT_EQ(emf2pdf::ParseTraceMode("Off"), TraceMode::kOff);
  EXPECT_EQ(emf2pdf::ParseTraceMode("VERBOSE"), TraceMode::kDropped);
  EXPECT_EQ(emf2pdf::ParseTraceMode("1"), TraceMode::kFull);
}

}  // namespace
