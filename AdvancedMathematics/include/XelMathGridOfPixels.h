#pragma once
// A grid of integer cells onto which a window of the plane is mapped: labelled lines,
// polylines, circles and arcs are rasterised into it, the regions their walls enclose are
// flood-filled, and the labels bounding a flooded region, the boundary chain of a value and
// the corners where walls of different labels meet are read back.
//
// Cells. The cell (x, y), 0 <= x < nx, 0 <= y < ny, is entry x + y nx. A value >= 0 is one
// label (for example the index of the curve drawn there); -1 is the empty value, -2 the flood
// value (cells reached by a fill), -3 the active zone value; -100 - k (k >= 0) is a cell that
// carries several labels, kept in label list k (a XelMathArrayOfIntegers owned by the grid).
// Setting label v on a cell of value c: a special value or c == v becomes v; a multi-label
// cell appends v to its list (duplicates kept); another label makes a new list [c, v].
//
// Pixel coordinates. ConvertToPixel rounds to the nearest cell corner (halves upwards) and
// does not clamp: drawing outside the grid is clipped cell by cell and reading outside gives
// the empty value. Model coordinates farther than 2^40 cells (and NaN) are clamped there.
// Lines whose end points lie beyond 2^29 cells are first cut to a square of 2^28 cells
// around the origin (which holds every grid); circles and arcs that reach the grid with a
// centre, radius or end point beyond 2^29 cells raise 0x20006 ("Dimension not valid").
//
// Sizes. A grid has at most 2^28 columns, 2^28 rows and 2^27 cells (1 GB); other sizes raise
// 0x20006 ("Dimension not valid") before anything is allocated. The flood fill runs over an
// explicit queue (no recursion), so any grid size is safe.
//
// Arrays returned by GetValueBoundary and GetFloodZoneCorners hold exactly the returned
// count of entries, come from the kernel's memory services and are released with
// FreeArray(array, count).
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathArrayOfIntegers;

class XELADVANCEDMATHEMATICS_EXPORT XelMathGridOfPixels : public XelQuorVirtual {
public:
  /// Statuses of GetValueBoundary.
  enum BoundaryStatus { BoundaryDone = 0, BoundaryNoValue = 1, BoundaryTooLong = 2 };
  /// Modes of FloodFill: empty -> flood, empty -> active zone, active zone -> flood.
  enum FloodMode { FloodEmpty = 0, FloodEmptyToActive = 1, FloodActiveToFlood = 2 };

  /// A 0 x 0 grid.
  XelMathGridOfPixels();
  /// An iNx x iNy grid, every cell empty, window [0, 1] x [0, 1].
  XelMathGridOfPixels(const long iNx, const long iNy);
  /// Copies sizes, cells, window, special values and label lists (no flood queue).
  XelMathGridOfPixels(const XelMathGridOfPixels& iOther);
  XelMathGridOfPixels& operator=(const XelMathGridOfPixels& iOther);
  ~XelMathGridOfPixels() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Window [0, 1] x [0, 1], special values -2, -1, -3, every cell empty, no label list
  /// (table of 128 null entries).
  void Initialize();

  void GetSize(long& oNx, long& oNy) const {
    oNx = _nx;
    oNy = _ny;
  }
  long GetEmptyValue() const { return _emptyValue; }
  long GetFloodValue() const { return _floodValue; }
  long GetActiveZoneValue() const { return _activeZoneValue; }
  /// Number of label lists created so far.
  long GetNumberOfLabelLists() const { return _listCount; }
  /// Label list k (null when there is none).
  const XelMathArrayOfIntegers* GetLabelList(const long k) const;

  /// The window of the plane mapped onto the grid; an empty or non-finite window raises
  /// 0x2000b ("Invalid Domain").
  void SetWindow(const double iXmin, const double iXmax, const double iYmin, const double iYmax);
  /// i = floor(nx (x - xmin) / (xmax - xmin) + 0.5), j likewise (not clamped).
  void ConvertToPixel(const double iX, const double iY, long& oI, long& oJ) const;
  /// A length in pixels: floor(nx d / (xmax - xmin) + 0.5).
  void ConvertToPixel(const double iD, long& oN) const;
  /// x = xmin + i (xmax - xmin) / nx, y likewise, each clamped into the window.
  void ConvertToModel(const long iI, const long iJ, double& oX, double& oY) const;

  /// The cell value, or the empty value outside the grid.
  long GetPixel(const long iX, const long iY) const;
  /// Sets iV, a label (>= 0) or a special value, on the cell (nothing outside the grid).
  void SetPixel(const long iX, const long iY, const long iV);
  /// Sets iV on the cells iX1..iX2 of row iY; nothing when iY is outside, iX1 < 0,
  /// iX2 >= nx or iX1 > iX2.
  void SetRowOfPixels(const long iX1, const long iX2, const long iY, const long iV);

  /// Bresenham segment, both end points drawn.
  void DrawLine(const long iX1, const long iY1, const long iX2, const long iY2, const long iV);
  /// The iN - 1 segments between consecutive points (iN < 0 or null arrays with iN > 0
  /// raise 0x20004 "Invalid Number Of Points").
  void DrawPolyLine(const long* iXs, const long* iYs, const long iN, const long iV);
  /// Midpoint circle of radius iR >= 0 (nothing for a negative radius).
  void DrawCircle(const long iCx, const long iCy, const long iR, const long iV);
  /// The arc of the circle (iCx, iCy, iR) from the start point to the end point that passes
  /// on the side of the middle point; a short chord is drawn as a line, a nearly flat arc as
  /// the two lines start-middle and middle-end.
  void DrawArc(const long iCx, const long iCy, const long iR, const long iXs, const long iYs,
               const long iXe, const long iYe, const long iXm, const long iYm, const long iV);

  /// Scan-line fill from (iX, iY) in one of the FloodMode modes (another mode raises
  /// 0x20006 "Invalid mode"); nothing for a start outside the grid.
  void FloodFill(const long iX, const long iY, const long iMode);
  /// Flooded cells become empty again.
  void UndoFloodFill();
  /// The diagonal step of the fill after the run iXl..iXr of row iY: queues the cells
  /// diagonal to the ends of the run that hold iSource, unless a wall of one label
  /// separates them from the run.
  void DiagonalFloodFill(const long iXl, const long iXr, const long iY, const long iSource);

  /// Two cell values match: equal plain values, a plain value in a list, two lists sharing
  /// a value.
  bool AreEqual(const long iA, const long iB) const;
  /// Both cells carry several labels and their lists share one.
  bool AreConnected(const long iX1, const long iY1, const long iX2, const long iY2) const;
  /// Both (iX2, iY1) and (iX1, iY2) hold iValue.
  bool IsCrossing(const long iX1, const long iY1, const long iX2, const long iY2,
                  const long iValue) const;
  /// One of the 8 neighbours of (iX, iY) holds iValue (iDx, iDy: the step that led there).
  bool IsOnBoundary(const long iX, const long iY, const long iDx, const long iDy,
                    const long iValue) const;
  /// The start of the boundary chain of iValue: the cell left of the first cell holding it
  /// (columns 1..nx-1, rows upwards), with the previous step (0, 1). False when no cell holds
  /// it.
  bool FindBoundaryPoint(const long iValue, long& oX, long& oY, long& oDx, long& oDy) const;
  /// The closed chain of cells around iValue (the value kept on its right; candidates tried
  /// counter-clockwise from the right-hand side of the last step), with 8- or (any
  /// other iConnectivity) 4-connectivity. Returns a BoundaryStatus; the chain is empty unless
  /// BoundaryDone.
  long GetValueBoundary(const long iValue, const long iConnectivity, long& oN, long*& oXs,
                        long*& oYs) const;
  /// oFlags[l] = 1 for every label 0 <= l < iN found within two cells of a flooded cell, 0
  /// for the others.
  void GetFloodFillBoundary(const long iN, long* oFlags) const;
  /// The multi-label cells next to the flooded zone (oN of them, ordered so that cells
  /// sharing a label follow each other), and in oCorners the indices of the first cell of
  /// each corner: a run of cells carrying the same labels. Null arrays when there is none.
  void GetFloodZoneCorners(long& oN, long*& oXs, long*& oYs, long& oNCorners,
                           long*& oCorners) const;
  /// Releases an array of iCount entries returned by the grid; ioArray becomes null.
  static void FreeArray(long*& ioArray, const long iCount);

  /// Does nothing.
  void Dump() const {}

private:
  long Cell(const long iX, const long iY) const { return _pixels[iX + iY * _nx]; }
  bool Inside(const long iX, const long iY) const {
    return iX >= 0 && iX < _nx && iY >= 0 && iY < _ny;
  }
  bool Holds(const long iX, const long iY, const long iValue) const {
    return AreEqual(GetPixel(iX, iY), iValue);
  }
  void SetCell(const long iIndex, const long iV);
  void Release();
  void CopyFrom(const XelMathGridOfPixels& iOther);
  void Push(const long iIndex);
  void TraceCircle(const long iCx, const long iCy, const long iR, const long iV,
                   const long* iChord);
  void DrawClippedLine(long iX1, long iY1, long iX2, long iY2, const long iV);

  long _nx, _ny, _size;
  long* _pixels;
  double _xmin, _xmax, _ymin, _ymax;
  long _floodValue, _emptyValue, _activeZoneValue;
  XelMathArrayOfIntegers** _lists;
  long _listCount, _listCapacity;
  long* _queue;
  long _queueCapacity, _queueRead, _queueWrite;
};
