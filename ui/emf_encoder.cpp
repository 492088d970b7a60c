#include "ui/emf_encoder.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace veldo::emf {

namespace {
constexpr std::uint32_t kSignature = 0x464D4520u;  // " EMF"
constexpr std::uint32_t kVersion = 0x00010000u;
constexpr std::size_t kHeaderSize = 108;  // with the pixel-format and micrometre extensions
constexpr std::size_t kOffBytes = 48, kOffRecords = 52, kOffHandles = 56;
}  // namespace

Encoder::Encoder(Rect bounds, Rect frame01mm, Point devicePx, Point deviceMm,
                 std::u16string description) {
  // The description ends in a null code unit; EMF descriptions conventionally carry two
  // strings (application, picture) each ending in a null.
  if (description.empty() || description.back() != u'\0') description.push_back(u'\0');
  const std::size_t start = Begin(EMR_HEADER);
  RectL(bounds);
  RectL(frame01mm);
  U32(kSignature);
  U32(kVersion);
  U32(0);  // nBytes, set by Finish
  U32(0);  // nRecords, set by Finish
  U16(0);  // nHandles, set by Finish
  U16(0);  // reserved
  U32(static_cast<std::uint32_t>(description.size()));
  U32(static_cast<std::uint32_t>(kHeaderSize));
  U32(0);  // no palette
  I32(devicePx.x);
  I32(devicePx.y);
  I32(deviceMm.x);
  I32(deviceMm.y);
  U32(0);  // no pixel format
  U32(0);
  U32(0);  // no OpenGL records
  I32(deviceMm.x * 1000);
  I32(deviceMm.y * 1000);
  for (char16_t c : description) U16(static_cast<std::uint16_t>(c));
  Pad4();
  End(start);
}

std::size_t Encoder::Begin(std::uint32_t type) {
  if (finished_) throw std::logic_error("EMF record after EOF");
  const std::size_t start = bytes_.size();
  U32(type);
  U32(0);  // size, set by End
  return start;
}

void Encoder::End(std::size_t start) {
  Pad4();
  Put32At(start + 4, static_cast<std::uint32_t>(bytes_.size() - start));
  ++records_;
}

void Encoder::U32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Encoder::U16(std::uint16_t v) {
  bytes_.push_back(static_cast<std::uint8_t>(v));
  bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Encoder::F32(float v) {
  std::uint32_t bits;
  static_assert(sizeof bits == sizeof v);
  std::memcpy(&bits, &v, sizeof bits);
  U32(bits);
}

void Encoder::RectL(Rect r) {
  I32(r.left);
  I32(r.top);
  I32(r.right);
  I32(r.bottom);
}

void Encoder::Pad4() {
  while (bytes_.size() % 4 != 0) bytes_.push_back(0);
}

void Encoder::Put32At(std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Encoder::Bare(std::uint32_t type) { End(Begin(type)); }

void Encoder::Simple(std::uint32_t type, std::uint32_t value) {
  const std::size_t start = Begin(type);
  U32(value);
  End(start);
}

void Encoder::Box(std::uint32_t type, Rect box) {
  const std::size_t start = Begin(type);
  RectL(box);
  End(start);
}

void Encoder::Poly(std::uint32_t type, std::span<const Point> points) {
  const std::size_t start = Begin(type);
  RectL(BoundsOf(points));
  U32(static_cast<std::uint32_t>(points.size()));
  for (const Point& p : points) {
    I32(p.x);
    I32(p.y);
  }
  End(start);
}

void Encoder::MoveTo(Point p) {
  const std::size_t start = Begin(EMR_MOVETOEX);
  I32(p.x);
  I32(p.y);
  End(start);
}

void Encoder::LineTo(Point p) {
  const std::size_t start = Begin(EMR_LINETO);
  I32(p.x);
  I32(p.y);
  End(start);
}

std::uint32_t Encoder::CreatePen(std::uint32_t style, std::uint32_t width, std::uint32_t colorRef) {
  const std::uint32_t handle = nextHandle_++;
  const std::size_t start = Begin(EMR_EXTCREATEPEN);
  U32(handle);
  U32(0);  // no brush bitmap: offBmi, cbBmi, offBits, cbBits
  U32(0);
  U32(0);
  U32(0);
  U32(style);
  U32(width);
  U32(BS_SOLID);
  U32(colorRef);
  U32(0);  // hatch
  U32(0);  // no custom dash entries
  End(start);
  return handle;
}

std::uint32_t Encoder::CreateBrush(std::uint32_t style, std::uint32_t colorRef,
                                   std::uint32_t hatch) {
  const std::uint32_t handle = nextHandle_++;
  const std::size_t start = Begin(EMR_CREATEBRUSHINDIRECT);
  U32(handle);
  U32(style);
  U32(colorRef);
  U32(hatch);
  End(start);
  return handle;
}

std::uint32_t Encoder::CreateFont(const LogFont& font) {
  const std::uint32_t handle = nextHandle_++;
  const std::size_t start = Begin(EMR_EXTCREATEFONTINDIRECTW);
  U32(handle);
  I32(font.height);
  I32(0);  // width: from the aspect ratio
  I32(font.escapement);
  I32(font.escapement);  // orientation follows the escapement
  I32(font.weight);
  bytes_.push_back(font.italic ? 1 : 0);
  bytes_.push_back(font.underline ? 1 : 0);
  bytes_.push_back(font.strikeOut ? 1 : 0);
  bytes_.push_back(1);  // DEFAULT_CHARSET: let the reader pick a font with the characters
  bytes_.push_back(0);  // OUT_DEFAULT_PRECIS
  bytes_.push_back(0);  // CLIP_DEFAULT_PRECIS
  bytes_.push_back(0);  // DEFAULT_QUALITY
  bytes_.push_back(0);  // DEFAULT_PITCH | FF_DONTCARE
  for (std::size_t i = 0; i < 32; ++i) {
    const char16_t c = i < 31 && i < font.faceName.size() ? font.faceName[i] : u'\0';
    U16(static_cast<std::uint16_t>(c));
  }
  End(start);
  return handle;
}

void Encoder::ExtTextOutW(Point reference, const std::u16string& text,
                          std::span<const std::int32_t> advances, Rect bounds) {
  if (advances.size() != text.size()) throw std::invalid_argument("one advance per code unit");
  constexpr std::uint32_t kOffString = 76;
  const auto n = static_cast<std::uint32_t>(text.size());
  const std::uint32_t stringBytes = (n * 2 + 3) / 4 * 4;
  const std::size_t start = Begin(EMR_EXTTEXTOUTW);
  RectL(bounds);
  U32(GM_COMPATIBLE);
  F32(0.0f);  // exScale, eyScale: unused in the compatible graphics mode
  F32(0.0f);
  I32(reference.x);
  I32(reference.y);
  U32(n);
  U32(kOffString);
  U32(0);             // no options: no opaque background, no clipping to the rectangle
  RectL({0, 0, -1, -1});  // empty: no rectangle
  U32(kOffString + stringBytes);
  for (char16_t c : text) U16(static_cast<std::uint16_t>(c));
  Pad4();
  for (std::int32_t dx : advances) I32(dx);
  End(start);
}

const std::vector<std::uint8_t>& Encoder::Finish() {
  if (finished_) return bytes_;
  const std::size_t start = Begin(EMR_EOF);
  U32(0);   // no palette entries
  U32(16);  // offset of the (empty) palette
  U32(20);  // size of this record, repeated at its end
  End(start);
  finished_ = true;
  Put32At(kOffBytes, static_cast<std::uint32_t>(bytes_.size()));
  Put32At(kOffRecords, records_);
  const std::uint32_t handles = std::min<std::uint32_t>(nextHandle_, std::numeric_limits<std::uint16_t>::max());
  bytes_[kOffHandles] = static_cast<std::uint8_t>(handles);
  bytes_[kOffHandles + 1] = static_cast<std::uint8_t>(handles >> 8);
  return bytes_;
}

Rect BoundsOf(std::span<const Point> points) {
  if (points.empty()) return {0, 0, -1, -1};
  Rect r{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const Point& p : points) {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  return r;
}

}  // namespace veldo::emf
