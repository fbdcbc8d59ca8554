#pragma once
// Circular arcs laid as short straight lines. Not every Direct2D we run on
// strokes or fills arc segments, so every arc we draw goes through here: the
// lines stay within a quarter pixel of the circle, which is also the tolerance
// Direct2D flattens its own curves with.

#include <d2d1.h>

// Adds to an open figure, whose current point lies on the circle (centre,
// radius) at startAngle (radians, growing clockwise with y down), the arc
// turning by sweep (negative: the other way), ending exactly at `to`.
void AddArcLines(ID2D1GeometrySink* sink, D2D1_POINT_2F centre, float radius, float startAngle, float sweep,
                 D2D1_POINT_2F to);

// What an arc segment from `from` to `to` with both radii `radius`, clockwise
// and small, would add: a radius too short for the chord grows to half of it.
void AddSmallClockwiseArcLines(ID2D1GeometrySink* sink, D2D1_POINT_2F from, D2D1_POINT_2F to, float radius);
