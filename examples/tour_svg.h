#pragma once
// A small writer of plain SVG pictures for the tour: one or more stacked panels, each with
// its own axes, holding curves, boxes and markers. No dependency: the file is text that any
// browser opens.
#include <string>
#include <vector>

class TourSvgPanel {
public:
  enum Marker { Circle, Down, Up };

  /// Curve through the n points (x[i], y[i]); values outside the panel are clipped.
  void Curve(long n, const double* x, const double* y, const char* colour, double width = 2.0,
             const char* dash = nullptr);
  /// Filled box [x0, x1] x [y0, y1] (clipped to the panel).
  void Box(double x0, double x1, double y0, double y1, const char* colour, double opacity);
  /// Marker at (x, y): a circle, a triangle pointing down (minimum) or up (maximum).
  void Mark(double x, double y, Marker shape, const char* colour);
  /// Legend entry drawn in the top-left corner of the panel.
  void Legend(const char* text, const char* colour);

private:
  friend class TourSvg;
  TourSvgPanel(double top, double height, double xMin, double xMax, double yMin, double yMax,
               const std::string& yLabel);
  double X(double x) const;
  double Y(double y) const;
  std::string Axes(int id) const;

  double _top, _height, _xMin, _xMax, _yMin, _yMax;
  std::string _yLabel, _body;
  std::vector<std::string> _legend;
};

class TourSvg {
public:
  /// A picture titled iTitle whose panels share the x range [xMin, xMax].
  TourSvg(const char* iTitle, double xMin, double xMax);
  /// A new panel under the previous ones, of the given height in pixels.
  TourSvgPanel& AddPanel(double iHeight, double yMin, double yMax, const char* iYLabel);
  /// Writes the picture into iPath; false when the file cannot be written.
  bool Write(const std::string& iPath) const;

private:
  std::string _title;
  double _xMin, _xMax, _height;
  std::vector<TourSvgPanel> _panels;
};

/// The directory where the tour writes its pictures (set once by main; "." by default).
void TourSetPictureDirectory(const char* iDirectory);
/// The path of a picture named iName in that directory (for pictures written otherwise).
std::string TourPicturePath(const char* iName);
/// Writes iPicture as iName in that directory and prints a line saying what it shows.
void TourWritePicture(const TourSvg& iPicture, const char* iName, const char* iWhat);
