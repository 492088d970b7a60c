// A small writer of Enhanced Metafile records ([MS-EMF]): it knows the byte layout of the
// records the chart picture needs and nothing about Qt. Coordinates are logical units of the
// MM_TEXT mapping mode (one unit is one pixel of the reference device).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace veldo::emf {

// Record types used here ([MS-EMF] 2.1.1).
enum RecordType : std::uint32_t {
  EMR_HEADER = 1,
  EMR_POLYBEZIER = 2,
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_POLYBEZIERTO = 5,
  EMR_POLYLINETO = 6,
  EMR_EOF = 14,
  EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19,
  EMR_SETTEXTALIGN = 22,
  EMR_SETTEXTCOLOR = 24,
  EMR_MOVETOEX = 27,
  EMR_INTERSECTCLIPRECT = 30,
  EMR_SAVEDC = 33,
  EMR_RESTOREDC = 34,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_LINETO = 54,
  EMR_BEGINPATH = 59,
  EMR_ENDPATH = 60,
  EMR_CLOSEFIGURE = 61,
  EMR_FILLPATH = 62,
  EMR_STROKEANDFILLPATH = 63,
  EMR_STROKEPATH = 64,
  EMR_SELECTCLIPPATH = 67,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTW = 84,
  EMR_EXTCREATEPEN = 95,
};

// Stock objects ([MS-EMF] 2.1.31).
inline constexpr std::uint32_t kNullBrush = 0x80000005u;
inline constexpr std::uint32_t kNullPen = 0x80000008u;

// Pen style bits ([MS-EMF] 2.1.25, [MS-WMF] 2.1.1.23).
inline constexpr std::uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3,
                               PS_DASHDOTDOT = 4, PS_ENDCAP_ROUND = 0x000, PS_ENDCAP_SQUARE = 0x100,
                               PS_ENDCAP_FLAT = 0x200, PS_JOIN_ROUND = 0x0000,
                               PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000,
                               PS_GEOMETRIC = 0x10000;
// Brush styles and hatches ([MS-WMF] 2.1.1.4, 2.1.1.12).
inline constexpr std::uint32_t BS_SOLID = 0, BS_HATCHED = 2;
inline constexpr std::uint32_t HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2,
                               HS_BDIAGONAL = 3, HS_CROSS = 4, HS_DIAGCROSS = 5;
// Modes.
inline constexpr std::uint32_t MM_TEXT = 1, TRANSPARENT = 1, ALTERNATE = 1, WINDING = 2,
                               TA_BASELINE = 24, RGN_AND = 1, GM_COMPATIBLE = 1;

struct Point {
  std::int32_t x, y;
  friend bool operator==(const Point&, const Point&) = default;
};
struct Rect {  // inclusive-exclusive as the records want them: left, top, right, bottom
  std::int32_t left, top, right, bottom;
};

// COLORREF: 0x00BBGGRR.
constexpr std::uint32_t ColorRef(int r, int g, int b) {
  return static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
         (static_cast<std::uint32_t>(b & 0xFF) << 16);
}

struct LogFont {
  std::int32_t height = -12;  // negative: character height in logical units
  std::int32_t escapement = 0;  // tenths of a degree, counter-clockwise
  std::int32_t weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::u16string faceName;  // at most 31 code units are kept
};

// One picture in memory. Records are appended in call order; Finish() writes the EOF record
// and completes the header. Object handles start at 1 (0 stands for the metafile itself).
class Encoder {
public:
  // widthPx, heightPx: the picture in logical units; frame: the same in 0.01 mm;
  // device: the reference device in pixels and in millimetres.
  Encoder(Rect bounds, Rect frame01mm, Point devicePx, Point deviceMm, std::u16string description);

  void SetMapMode(std::uint32_t mode) { Simple(EMR_SETMAPMODE, mode); }
  void SetBkMode(std::uint32_t mode) { Simple(EMR_SETBKMODE, mode); }
  void SetPolyFillMode(std::uint32_t mode) { Simple(EMR_SETPOLYFILLMODE, mode); }
  void SetTextAlign(std::uint32_t align) { Simple(EMR_SETTEXTALIGN, align); }
  void SetTextColor(std::uint32_t colorRef) { Simple(EMR_SETTEXTCOLOR, colorRef); }

  // Objects: each returns the new handle.
  std::uint32_t CreatePen(std::uint32_t style, std::uint32_t width, std::uint32_t colorRef);
  std::uint32_t CreateBrush(std::uint32_t style, std::uint32_t colorRef, std::uint32_t hatch);
  std::uint32_t CreateFont(const LogFont& font);
  void SelectObject(std::uint32_t handle) { Simple(EMR_SELECTOBJECT, handle); }
  void DeleteObject(std::uint32_t handle) { Simple(EMR_DELETEOBJECT, handle); }

  void Polyline(std::span<const Point> points) { Poly(EMR_POLYLINE, points); }
  void Polygon(std::span<const Point> points) { Poly(EMR_POLYGON, points); }
  void Ellipse(Rect box) { Box(EMR_ELLIPSE, box); }
  void Rectangle(Rect box) { Box(EMR_RECTANGLE, box); }

  // Paths: BeginPath, then MoveTo / LineTo / PolyBezierTo / CloseFigure, EndPath, then one of
  // the three path drawings or SelectClipPath.
  void BeginPath() { Bare(EMR_BEGINPATH); }
  void EndPath() { Bare(EMR_ENDPATH); }
  void CloseFigure() { Bare(EMR_CLOSEFIGURE); }
  void MoveTo(Point p);
  void LineTo(Point p);
  void PolyBezierTo(std::span<const Point> points) { Poly(EMR_POLYBEZIERTO, points); }
  void FillPath(Rect bounds) { Box(EMR_FILLPATH, bounds); }
  void StrokePath(Rect bounds) { Box(EMR_STROKEPATH, bounds); }
  void StrokeAndFillPath(Rect bounds) { Box(EMR_STROKEANDFILLPATH, bounds); }
  void SelectClipPath(std::uint32_t mode) { Simple(EMR_SELECTCLIPPATH, mode); }

  void IntersectClipRect(Rect box) { Box(EMR_INTERSECTCLIPRECT, box); }
  void SaveDC() { Bare(EMR_SAVEDC); }
  void RestoreDC() { Simple(EMR_RESTOREDC, static_cast<std::uint32_t>(-1)); }

  // UTF-16 text with its reference point (see SetTextAlign) and one advance per code unit.
  void ExtTextOutW(Point reference, const std::u16string& text,
                   std::span<const std::int32_t> advances, Rect bounds);

  // Appends EOF and fills in the header's totals. Nothing may be added afterwards.
  const std::vector<std::uint8_t>& Finish();
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::uint32_t RecordCount() const { return records_; }

private:
  std::size_t Begin(std::uint32_t type);
  void End(std::size_t start);
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void U16(std::uint16_t v);
  void F32(float v);
  void RectL(Rect r);
  void Pad4();
  void Put32At(std::size_t at, std::uint32_t v);
  void Bare(std::uint32_t type);
  void Simple(std::uint32_t type, std::uint32_t value);
  void Box(std::uint32_t type, Rect box);
  void Poly(std::uint32_t type, std::span<const Point> points);

  std::vector<std::uint8_t> bytes_;
  std::uint32_t records_ = 0;
  std::uint32_t nextHandle_ = 1;
  bool finished_ = false;
};

// Smallest rectangle holding the points (inclusive corners).
Rect BoundsOf(std::span<const Point> points);

}  // namespace veldo::emf
