// Clip tracking shared by the picture writers' paint engines (EMF and SVG): QPainter reports
// clip changes as paths or regions in logical coordinates with a combine operation; the
// writers keep the resulting clip in device coordinates and redraw it when it changed.
#pragma once

#include <QPaintEngine>
#include <QPainterPath>
#include <QTransform>

#include <optional>

namespace veldo {

struct TrackedClip {
  std::optional<QPainterPath> path;  // device coordinates; none while nothing clips
  bool enabled = false;
  bool dirty = false;  // changed since the writer last emitted it

  // Folds the clip part of a state change into the tracked clip, mapping new clip shapes with
  // the transform in force (`xf`, already updated from the same state).
  void Update(const QPaintEngineState& st, const QTransform& xf) {
    const QPaintEngine::DirtyFlags flags = st.state();
    if (flags & QPaintEngine::DirtyClipEnabled) {
      enabled = st.isClipEnabled();
      dirty = true;
    }
    if (flags & (QPaintEngine::DirtyClipPath | QPaintEngine::DirtyClipRegion)) {
      QPainterPath p;
      if (flags & QPaintEngine::DirtyClipPath)
        p = st.clipPath();
      else
        p.addRegion(st.clipRegion());
      p = xf.map(p);
      switch (st.clipOperation()) {
        case Qt::NoClip: path.reset(); break;
        case Qt::ReplaceClip: path = p; break;
        case Qt::IntersectClip: path = path ? path->intersected(p) : p; break;
      }
      if (st.clipOperation() != Qt::NoClip) enabled = true;
      dirty = true;
    }
  }
};

}  // namespace veldo
