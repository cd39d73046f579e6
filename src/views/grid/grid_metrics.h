#pragma once

#include <QRectF>
#include <QSizeF>

namespace calyxa {

// The sizes of the overlay's layout, all in points, derived from the view's size.
struct OverlayMetrics {
  static constexpr double kMinimumWidth = 1024.0;
  static constexpr double kMinimumHeight = 700.0;
  static constexpr double kSearchBarHeight = 54.0;
  static constexpr double kDotsBandHeight = 50.0;

  QSizeF content;    // W × H
  double topInset;   // T
  QRectF contentIn;  // the W × H content, centred in the view (it may overflow)

  // `notchHeight`: the screen's top notch, 0 where there is none.
  static OverlayMetrics forView(QSizeF view, double notchHeight = 0.0);

  double searchBandHeight() const { return topInset + kSearchBarHeight; }
  // The page area P, in content coordinates: between the search band and the dots band.
  QRectF pageArea() const;
};

// The grid of one page of size P.
struct PageGridMetrics {
  static constexpr int columns = 7;
  static constexpr int rows = 5;

  QSizeF page;     // P
  double hMargin;  // m
  double vMargin;  // v
  QSizeF grid;     // G
  QSizeF cell;

  static PageGridMetrics forPage(QSizeF page);

  // The frame of slot `index` of a page that shows `countOnPage` slots, in page coordinates:
  // rows of 7 stacked and centred in the page, a short last row centred in its frame.
  QRectF slotRect(int index, int countOnPage) const;
};

// The side of an icon in a cell: the smaller of half the width and 62 % of the height, clamped
// to 78 … 92 points.
double iconSideForCell(QSizeF cell);

}  // namespace calyxa
