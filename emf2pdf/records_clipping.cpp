// Clipping: GDI's clip is part of the device context, saved and restored
// with it. The page shows the current clip inside one q ... Q level, written
// again whenever the clip changes: the region as rectangles, each clip path
// as its path.
#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"
#include "pdf/page.h"

namespace emf2pdf {

using namespace emr;

namespace {

// Stands for "everything" where a region must be cut from the whole page.
constexpr double kEverywhere = 1e7;
constexpr ClipRect kWholePlane{-kEverywhere, -kEverywhere, kEverywhere, kEverywhere};

RegionMode ModeOf(uint32_t mode) {
  if (mode < RGN_AND || mode > RGN_COPY) throw MalformedRecord("unknown region mode");
  return static_cast<RegionMode>(mode);
}

}  // namespace

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
  // Q took cap and join back to what they were at the clip's q.
  state_.lineCap = capAtClip_;
  state_.lineJoin = joinAtClip_;
  WriteCapAndJoin(dc_.Current().pen);
}

// Brings the page's clip level in line with the context's clip.
void TEMWParser::ShowClip() {
  const ClipState& clip = dc_.Current().clip;
  if (clip.serial == shownClipSerial_) return;
  if (state_.textColorMode) EndTextColorMode();
  if (state_.clipOpen) CloseClip();
  shownClipSerial_ = clip.serial;
  if (clip.whole) return;
  capAtClip_ = state_.lineCap;
  joinAtClip_ = state_.lineJoin;
  page_->GStateSave();
  state_.clipOpen = true;
  if (clip.hasRegion) {
    page_->NewPath();
    // An empty region clips everything away.
    if (clip.region.empty()) page_->Rectangle(0, 0, 0, 0);
    for (const ClipRect& r : clip.region) page_->Rectangle(r.left, r.top, r.right, r.bottom);
    page_->Clip();
    page_->NewPath();
  }
  for (const ClipState::PathClip& path : clip.paths) {
    if (path.outside) {
      const ClipRect& r = kWholePlane;
      page_->Rectangle(r.left, r.top, r.right, r.bottom);
    }
    for (const PathOp& op : *path.ops) op(*page_);
    path.evenOdd || path.outside ? page_->EoClip() : page_->Clip();
    page_->NewPath();
  }
}

// The new clip of the context, shown on the page at once.
void TEMWParser::SetClip(ClipState clip) {
  clip.serial = ++clipSerials_;
  dc_.Current().clip = std::move(clip);
  ShowClip();
}

void TEMWParser::CombineClipRegion(const RectSet& rects, RegionMode mode) {
  ClipState clip = dc_.Current().clip;
  if (mode == RegionMode::kCopy) {
    clip = ClipState();
    clip.whole = false;
    clip.hasRegion = true;
    clip.region = rects;
  } else {
    const RectSet current = clip.whole || !clip.hasRegion ? RectSet{kWholePlane} : clip.region;
    clip.region = Combine(current, rects, mode);
    clip.hasRegion = true;
    clip.whole = false;
  }
  SetClip(std::move(clip));
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

// Logical rectangles: their two corners mapped, as GDI maps them.
ClipRect TEMWParser::MappedClipRect(const RectL& r) const {
  const auto a = Map({r.left, r.top});
  const auto b = Map({r.right, r.bottom});
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void TEMWParser::OnIntersectClipRect(RecordReader& in) {
  const ClipRect r = MappedClipRect(in.RectL32());
  CombineClipRegion(Normalized({r}), RegionMode::kAnd);
}

void TEMWParser::OnExcludeClipRect(RecordReader& in) {
  const ClipRect r = MappedClipRect(in.RectL32());
  CombineClipRegion(Normalized({r}), RegionMode::kDiff);
}

// The offset is logical; the region moves by its length on the device.
void TEMWParser::OnOffsetClipRgn(RecordReader& in) {
  const PointL offset = in.PointL32();
  ClipState clip = dc_.Current().clip;
  if (clip.whole || !clip.hasRegion) return;
  const XForm& t = Transform();
  const double dx = offset.x * t.eM11 + offset.y * t.eM21;
  const double dy = offset.x * t.eM12 + offset.y * t.eM22;
  for (ClipRect& r : clip.region) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
  SetClip(std::move(clip));
}

void TEMWParser::OnExtSelectClipRgn(RecordReader& in) {
  const uint32_t cbRgnData = in.U32();
  const uint32_t iMode = in.U32();
  // Without region data only RGN_COPY means something: no clip at all.
  if (cbRgnData == 0) {
    if (iMode == RGN_COPY) SetClip(ClipState());
    return;
  }
  const RegionMode mode = ModeOf(iMode);
  std::vector<ClipRect> rects;
  for (const RectL& r : ReadRegionRects(in, cbRgnData))
    rects.push_back({DeviceX(r.left), DeviceY(r.top), DeviceX(r.right), DeviceY(r.bottom)});
  CombineClipRegion(Normalized(rects), mode);
}

// The path of the bracket becomes a clip of its own, kept with its fill rule.
void TEMWParser::OnSelectClipPath(RecordReader& in) {
  const uint32_t iMode = in.Remaining() >= 4 ? in.U32() : RGN_COPY;
  state_.pathBracket = false;
  auto ops = std::make_shared<const std::vector<PathOp>>(std::move(heldPath_));
  heldPath_.clear();
  const RegionMode mode = ModeOf(iMode);
  ClipState clip = dc_.Current().clip;
  const ClipState::PathClip path{ops, state_.fillAlternate, mode == RegionMode::kDiff};
  if (mode == RegionMode::kCopy || (mode != RegionMode::kAnd && mode != RegionMode::kDiff)) {
    // RGN_OR and RGN_XOR of a path with a clip are kept as the path alone.
    if (mode == RegionMode::kOr && clip.whole) return;
    clip = ClipState();
    clip.whole = false;
  }
  clip.whole = false;
  clip.paths.push_back(path);
  SetClip(std::move(clip));
}

}  // namespace emf2pdf
