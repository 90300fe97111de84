#pragma once
// Sections of the tour, one function per family of classes (examples/tour_<family>.cpp).

/// Point sets: growing a set, reading it with the cursor, the geometric queries, tangents
/// for interpolation and the stream round trip.
void TourPointSets();
