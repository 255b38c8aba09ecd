// Clipping: the page holds at most one clip, inside one q ... Q level.
#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/page.h"

namespace emf2pdf {

using namespace emr;

void TEMWParser::CloseClip() {
  page_->GStateRestore();
  state_.clipOpen = false;
  RewriteStateAfterRestore();
}

// Q gave back the line width, colours and dash of the time before the clip;
// write what the state says so that the caches match the page again.
void TEMWParser::RewriteStateAfterRestore() {
  state_.stateDirty = true;
  WriteStrokeColor(state_.penColor);
  WriteFillColor(state_.brushColor);
  WriteLineWidth();
  WriteDash(state_.penStyle);
}

std::vector<RectL> TEMWParser::ReadRegionRects(RecordReader& in, uint32_t cbRgnData) {
  // RGNDATAHEADER: dwSize, iType, nCount, nRgnSize, rcBound.
  const size_t start = in.Position();
  if (cbRgnData > in.Remaining()) throw MalformedRecord("region data exceeds the record");
  const uint32_t dwSize = in.U32();
  in.U32();  // iType
  const uint32_t nCount = in.U32();
  in.U32();      // nRgnSize
  in.RectL32();  // rcBound
  if (dwSize < 32 || dwSize > cbRgnData) throw MalformedRecord("bad region header");
  in.Seek(start + dwSize);
  if (nCount > (cbRgnData - dwSize) / 16) throw MalformedRecord("region count exceeds its data");
  std::vector<RectL> rects(nCount);
  for (RectL& r : rects) r = in.RectL32();
  return rects;
}

void TEMWParser::OnIntersectClipRect(RecordReader& in) {
  const RectL clip = in.RectL32();
  const auto a = Map({clip.left, clip.top});
  const auto b = Map({clip.right, clip.bottom});
  const double left = a.x, top = a.y, right = b.x, bottom = b.y;
  if (state_.clipOpen) CloseClip();
  page_->GStateSave();
  state_.clipOpen = true;
  Paint().NewPath();
  PathRectangle(left, top, right, bottom);
  state_.clipIsRect = true;
  state_.clipRect[0] = left;
  state_.clipRect[1] = top;
  state_.clipRect[2] = right;
  state_.clipRect[3] = bottom;
  Paint().Clip();
  Paint().NewPath();
}

void TEMWParser::OnExtSelectClipRgn(RecordReader& in) {
  const uint32_t cbRgnData = in.U32();
  in.U32();  // iMode: every mode replaces the clip
  std::vector<RectL> rects;
  if (cbRgnData != 0) rects = ReadRegionRects(in, cbRgnData);
  std::vector<double> mapped;
  mapped.reserve(rects.size() * 4);
  for (const RectL& r : rects) {
    mapped.push_back(DeviceX(r.left));
    mapped.push_back(DeviceY(r.top));
    mapped.push_back(DeviceX(r.right));
    mapped.push_back(DeviceY(r.bottom));
  }
  if (state_.clipOpen) CloseClip();
  if (cbRgnData == 0) return;
  page_->GStateSave();
  Paint().NewPath();
  state_.clipOpen = true;
  state_.clipIsRect = false;
  for (size_t i = 0; i < mapped.size(); i += 4)
    PathRectangle(mapped[i], mapped[i + 1], mapped[i + 2], mapped[i + 3]);
  Paint().Clip();
  Paint().NewPath();
}

void TEMWParser::OnSelectClipPath(RecordReader&) {
  if (state_.clipOpen) CloseClip();
  page_->GStateSave();
  state_.clipOpen = true;
  Paint().Clip();
  state_.clipIsRect = false;
  Paint().NewPath();
  state_.pathBracket = false;
}

}  // namespace emf2pdf
