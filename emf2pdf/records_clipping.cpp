// Clipping: GDI's clip is part of the device context, saved and restored
// with it: the region as rectangles, each clip path as its path. The device
// is told of every change and shows the clip in force when it draws.
#include "emf2pdf/emf_records.h"
#include "emf2pdf/emw_parser.h"

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

// The new clip of the context; the device shows it when it next draws.
void TEMWParser::SetClip(ClipState clip) {
  clip.serial = ++clipSerials_;
  dc_.Current().clip = std::move(clip);
  device_->SetClip(dc_.Current().clip);
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
// A clip that is one path alone unites with another path as both drawn as
// one (programs clip to text this way, a glyph at a time). The copies this
// takes are bounded per picture.
bool TEMWParser::UniteClipPath(ClipState clip, const DevicePath& shape) {
  if (clip.whole || clip.hasRegion || clip.paths.size() != 1 || clip.paths[0].outside) return false;
  const DevicePath& current = *clip.paths[0].path;
  const size_t size = current.Size() + shape.Size();
  if (size > clipUnionBudget_) return false;
  clipUnionBudget_ -= size;
  auto united = std::make_shared<DevicePath>(current);
  united->Append(shape);
  clip.paths[0].path = std::move(united);
  SetClip(std::move(clip));
  return true;
}

void TEMWParser::OnSelectClipPath(RecordReader& in) {
  const uint32_t iMode = in.Remaining() >= 4 ? in.U32() : RGN_COPY;
  state_.pathBracket = false;
  auto shape = std::make_shared<const DevicePath>(std::move(path_));
  path_.Clear();
  const RegionMode mode = ModeOf(iMode);
  ClipState clip = dc_.Current().clip;
  const ClipState::PathClip path{shape, state_.fillAlternate, mode == RegionMode::kDiff};
  if (mode == RegionMode::kOr && UniteClipPath(clip, *shape)) return;
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
