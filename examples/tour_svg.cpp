// Plain SVG output of the tour's pictures.
#include "tour_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {
const double Width = 760.0, Left = 70.0, Right = 20.0, Title = 40.0, Gap = 40.0;
std::string PictureDirectory = ".";

std::string Format(const char* iFormat, double a, double b = 0.0, double c = 0.0, double d = 0.0) {
  char text[160];
  std::snprintf(text, sizeof text, iFormat, a, b, c, d);
  return text;
}

std::string Escape(const std::string& iText) {
  std::string out;
  for (char c : iText) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

// A tick step of 1, 2 or 5 times a power of ten giving about five ticks over [lo, hi].
double TickStep(double lo, double hi) {
  const double raw = (hi - lo) / 5.0;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double r = raw / power;
  return power * (r < 1.5 ? 1.0 : r < 3.5 ? 2.0 : r < 7.5 ? 5.0 : 10.0);
}
} // namespace

TourSvgPanel::TourSvgPanel(double top, double height, double xMin, double xMax, double yMin,
                           double yMax, const std::string& yLabel)
    : _top(top), _height(height), _xMin(xMin), _xMax(xMax), _yMin(yMin), _yMax(yMax),
      _yLabel(yLabel) {}

double TourSvgPanel::X(double x) const {
  return Left + (x - _xMin) / (_xMax - _xMin) * (Width - Left - Right);
}

// Values far outside the panel (such as the library's 1e30 standing for infinity) are pulled
// back to just outside it, where the clip path hides them.
double TourSvgPanel::Y(double y) const {
  const double margin = 0.05 * (_yMax - _yMin);
  y = std::min(std::max(y, _yMin - margin), _yMax + margin);
  return _top + (_yMax - y) / (_yMax - _yMin) * _height;
}

void TourSvgPanel::Curve(long n, const double* x, const double* y, const char* colour, double width,
                         const char* dash) {
  std::string points;
  for (long i = 0; i < n; i++)
    points += Format("%.2f,%.2f ", X(x[i]), Y(y[i]));
  _body += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" stroke-width=\"" +
           Format("%g", width) + "\"" +
           (dash ? " stroke-dasharray=\"" + std::string(dash) + "\"" : std::string()) +
           " points=\"" + points + "\"/>\n";
}

void TourSvgPanel::Box(double x0, double x1, double y0, double y1, const char* colour,
                       double opacity) {
  const double top = Y(y1), bottom = Y(y0);
  _body += Format("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\"", X(x0), top,
                  X(x1) - X(x0), std::max(bottom - top, 0.5)) +
           " fill=\"" + colour + "\" fill-opacity=\"" + Format("%g", opacity) + "\" stroke=\"" +
           colour + "\" stroke-width=\"0.5\"/>\n";
}

void TourSvgPanel::Mark(double x, double y, Marker shape, const char* colour) {
  const double px = X(x), py = Y(y);
  if (shape == Circle)
    _body += Format("<circle cx=\"%.2f\" cy=\"%.2f\" r=\"5\"", px, py);
  else if (shape == Down)
    _body += Format("<polygon points=\"%.2f,%.2f %.2f,%.2f ", px - 6, py - 4, px + 6, py - 4) +
             Format("%.2f,%.2f\"", px, py + 7);
  else
    _body += Format("<polygon points=\"%.2f,%.2f %.2f,%.2f ", px - 6, py + 4, px + 6, py + 4) +
             Format("%.2f,%.2f\"", px, py - 7);
  _body += " fill=\"" + std::string(colour) + "\" stroke=\"black\" stroke-width=\"0.8\"/>\n";
}

void TourSvgPanel::Legend(const char* text, const char* colour) {
  const double y = _top + 16.0 + 16.0 * static_cast<double>(_legend.size());
  _legend.push_back(
      Format("<rect x=\"%.1f\" y=\"%.1f\" width=\"14\" height=\"8\"", Left + 10, y - 8) +
      " fill=\"" + colour + "\"/>" + Format("<text x=\"%.1f\" y=\"%.1f\">", Left + 30, y) +
      Escape(text) + "</text>\n");
}

std::string TourSvgPanel::Axes(int id) const {
  const double x0 = X(_xMin), x1 = X(_xMax), y0 = _top, y1 = _top + _height;
  std::string s = Format("<clipPath id=\"panel%g\"><rect x=\"%.2f\" y=\"%.2f\" ", id, x0, y0) +
                  Format("width=\"%.2f\" height=\"%.2f\"/></clipPath>\n", x1 - x0, y1 - y0);
  s += Format("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\"", x0, y0, x1 - x0,
              y1 - y0) +
       " fill=\"white\" stroke=\"#444\"/>\n";
  const double xs = TickStep(_xMin, _xMax), ys = TickStep(_yMin, _yMax);
  for (double t = std::ceil(_xMin / xs) * xs; t <= _xMax + 1e-9 * xs; t += xs) {
    const double v = std::fabs(t) < 1e-9 * xs ? 0.0 : t;
    s += Format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\" stroke=\"#ddd\"/>", X(v), y0,
                X(v), y1) +
         Format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"middle\">%g</text>\n", X(v), y1 + 15, v);
  }
  for (double t = std::ceil(_yMin / ys) * ys; t <= _yMax + 1e-9 * ys; t += ys) {
    const double v = std::fabs(t) < 1e-9 * ys ? 0.0 : t;
    s += Format("<line x1=\"%.2f\" y1=\"%.2f\" x2=\"%.2f\" y2=\"%.2f\"", x0, Y(v), x1, Y(v)) +
         (v == 0.0 ? " stroke=\"#888\"/>" : " stroke=\"#ddd\"/>") +
         Format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"end\">%g</text>\n", x0 - 5, Y(v) + 4, v);
  }
  s += Format("<text x=\"14\" y=\"%.2f\" text-anchor=\"middle\" transform=\"rotate(-90 14 %.2f)\">",
              0.5 * (y0 + y1), 0.5 * (y0 + y1)) +
       Escape(_yLabel) + "</text>\n";
  s += Format("<g clip-path=\"url(#panel%g)\">\n", id) + _body + "</g>\n";
  for (const std::string& line : _legend)
    s += line;
  return s;
}

TourSvg::TourSvg(const char* iTitle, double xMin, double xMax)
    : _title(iTitle), _xMin(xMin), _xMax(xMax), _height(Title) {}

TourSvgPanel& TourSvg::AddPanel(double iHeight, double yMin, double yMax, const char* iYLabel) {
  _panels.push_back(TourSvgPanel(_height, iHeight, _xMin, _xMax, yMin, yMax, iYLabel));
  _height += iHeight + Gap;
  return _panels.back();
}

bool TourSvg::Write(const std::string& iPath) const {
  std::ofstream out(iPath);
  out << Format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%g\" height=\"%g\" ", Width,
                _height)
      << Format("viewBox=\"0 0 %g %g\" font-family=\"sans-serif\" font-size=\"12\">\n", Width,
                _height)
      << "<title>" << Escape(_title) << "</title>\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
      << Format("<text x=\"%g\" y=\"24\" text-anchor=\"middle\" font-size=\"15\">", Width / 2)
      << Escape(_title) << "</text>\n";
  for (size_t i = 0; i < _panels.size(); i++)
    out << _panels[i].Axes(static_cast<int>(i));
  out << "</svg>\n";
  return static_cast<bool>(out);
}

void TourSetPictureDirectory(const char* iDirectory) {
  PictureDirectory = iDirectory;
}

std::string TourPicturePath(const char* iName) {
  return PictureDirectory + "/" + iName;
}

void TourWritePicture(const TourSvg& iPicture, const char* iName, const char* iWhat) {
  const std::string path = PictureDirectory + "/" + iName;
  if (iPicture.Write(path))
    std::printf("picture: %s (%s)\n", path.c_str(), iWhat);
  else
    std::printf("picture: could not write %s\n", path.c_str());
}
