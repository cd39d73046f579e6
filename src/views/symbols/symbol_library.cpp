#include "views/symbols/symbol_library.h"

#include <QPainterPathStroker>
#include <QTransform>
#include <array>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <numbers>
#include <unordered_map>
#include <utility>

namespace calyxa {
namespace {

// Our own designs on a 100-unit square. Lines are stroked into outlines, so that every symbol is
// one fill; marks on filled shapes are cut out of them.

constexpr double kPi = std::numbers::pi;

QPainterPath stroked(const QPainterPath& path, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(cap);
  stroker.setJoinStyle(Qt::RoundJoin);
  stroker.setCurveThreshold(0.02);
  return stroker.createStroke(path);
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& point : points) {
    if (first) {
      path.moveTo(point);
    } else {
      path.lineTo(point);
    }
    first = false;
  }
  return path;
}

QPainterPath lines(std::initializer_list<std::pair<QPointF, QPointF>> segments) {
  QPainterPath path;
  for (const auto& [from, to] : segments) {
    path.moveTo(from);
    path.lineTo(to);
  }
  return path;
}

QPainterPath circle(QPointF centre, double radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

QPainterPath roundedRect(const QRectF& rect, double radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

// A closed polygon whose corners are rounded by up to `radius`.
QPainterPath roundedPolygon(const std::vector<QPointF>& points, double radius) {
  QPainterPath path;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    const QPointF previous = points[(i + n - 1) % n];
    const QPointF corner = points[i];
    const QPointF next = points[(i + 1) % n];
    const auto length = [](QPointF v) { return std::hypot(v.x(), v.y()); };
    const double r =
        std::min({radius, length(previous - corner) / 2.0, length(next - corner) / 2.0});
    const QPointF in = corner + (previous - corner) * (r / length(previous - corner));
    const QPointF out = corner + (next - corner) * (r / length(next - corner));
    if (i == 0) {
      path.moveTo(in);
    } else {
      path.lineTo(in);
    }
    path.quadTo(corner, out);
  }
  path.closeSubpath();
  return path;
}

// A four-pointed star with softly hollowed sides.
QPainterPath sparkle(QPointF c, double r) {
  const double k = r * 0.16;
  QPainterPath path;
  path.moveTo(c.x(), c.y() - r);
  path.quadTo(c.x() + k, c.y() - k, c.x() + r, c.y());
  path.quadTo(c.x() + k, c.y() + k, c.x(), c.y() + r);
  path.quadTo(c.x() - k, c.y() + k, c.x() - r, c.y());
  path.quadTo(c.x() - k, c.y() - k, c.x(), c.y() - r);
  path.closeSubpath();
  return path;
}

QPainterPath gear(QPointF c, double outer, double inner, int teeth, double hole) {
  std::vector<QPointF> points;
  const double step = 2 * kPi / teeth;
  const auto at = [&](double angle, double radius) {
    return c + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
  };
  for (int i = 0; i < teeth; ++i) {
    const double a = i * step;
    points.push_back(at(a - step * 0.36, inner));
    points.push_back(at(a - step * 0.2, outer));
    points.push_back(at(a + step * 0.2, outer));
    points.push_back(at(a + step * 0.36, inner));
  }
  return roundedPolygon(points, outer * 0.08).subtracted(circle(c, hole));
}

// A folder in `r`: a tab at the top left, then the body.
QPainterPath folderOutline(const QRectF& r) {
  const double l = r.left(), t = r.top(), w = r.width(), h = r.height();
  return roundedPolygon({{l, t},
                         {l + 0.38 * w, t},
                         {l + 0.5 * w, t + 0.17 * h},
                         {l + w, t + 0.17 * h},
                         {l + w, t + h},
                         {l, t + h}},
                        0.1 * w);
}

QPainterPath openFolder(const QRectF& r, double w) {
  QPainterPath path = stroked(folderOutline(r), w);
  const double flap = r.top() + 0.33 * r.height();
  path = path.united(stroked(lines({{{r.left(), flap}, {r.right(), flap}}}), w));
  return path;
}

QPainterPath arc(QPointF c, double radius, double startDegrees, double sweepDegrees) {
  QPainterPath path;
  const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
  path.arcMoveTo(box, startDegrees);
  path.arcTo(box, startDegrees, sweepDegrees);
  return path;
}

QPainterPath power(QPointF c, double radius, double w) {
  QPainterPath path = stroked(arc(c, radius, 58, -296), w);
  path = path.united(
      stroked(lines({{{c.x(), c.y() - radius * 1.3}, {c.x(), c.y() - radius * 0.2}}}), w));
  return path;
}

QPainterPath fingers(std::initializer_list<std::pair<QPointF, QPointF>> bones, double width) {
  QPainterPath path;
  for (const auto& bone : bones)
    path = path.united(stroked(lines({bone}), width));
  return path;
}

QPainterPath raisedHand() {
  QPainterPath hand = fingers({{{31, 24}, {31, 62}},
                               {{45, 15}, {45, 62}},
                               {{59, 19}, {59, 62}},
                               {{72.5, 31}, {72.5, 64}},
                               {{31, 76}, {14, 54}}},
                              11.5);
  hand =
      hand.united(roundedPolygon({{25, 48}, {79, 48}, {79, 74}, {66, 93}, {38, 93}, {25, 78}}, 11));
  return hand;
}

SymbolOutline filled(QPainterPath shape) {
  return {std::move(shape), {}, {}};
}

// A round badge: the mark cut out of the disc.
SymbolOutline badge(const QPainterPath& mark) {
  const QPainterPath disc = circle({50, 50}, 45);
  return {disc.subtracted(mark), disc, mark};
}

using Builder = SymbolOutline (*)(double w);

// The weight is the stroke width in design units.
const std::vector<std::pair<std::string_view, Builder>>& builders() {
  static const std::vector<std::pair<std::string_view, Builder>> table = {
      {"magnifyingglass",
       [](double w) {
         QPainterPath p = stroked(circle({42, 42}, 27), w);
         p = p.united(stroked(lines({{{62, 62}, {86, 86}}}), w * 1.35));
         return filled(p);
       }},
      {"sparkle.magnifyingglass",
       [](double w) {
         QPainterPath p = stroked(circle({42, 42}, 28), w);
         p = p.united(stroked(lines({{{63, 63}, {87, 87}}}), w * 1.35));
         p = p.united(sparkle({42, 42}, 15));
         return filled(p);
       }},
      {"xmark",
       [](double w) {
         return filled(stroked(lines({{{22, 22}, {78, 78}}, {{78, 22}, {22, 78}}}), w));
       }},
      {"xmark.circle.fill",
       [](double w) {
         return badge(stroked(lines({{{35, 35}, {65, 65}}, {{65, 35}, {35, 65}}}), w));
       }},
      {"plus",
       [](double w) {
         return filled(stroked(lines({{{50, 14}, {50, 86}}, {{14, 50}, {86, 50}}}), w));
       }},
      {"minus",
       [](double w) {
         return filled(stroked(lines({{{14, 50}, {86, 50}}}), w));
       }},
      {"plus.circle.fill",
       [](double w) {
         return badge(stroked(lines({{{50, 29}, {50, 71}}, {{29, 50}, {71, 50}}}), w));
       }},
      {"minus.circle.fill",
       [](double w) {
         return badge(stroked(lines({{{29, 50}, {71, 50}}}), w));
       }},
      {"checkmark",
       [](double w) {
         return filled(stroked(polyline({{16, 54}, {38, 76}, {84, 26}}), w * 1.1));
       }},
      {"checkmark.circle.fill",
       [](double w) {
         return badge(stroked(polyline({{30, 51}, {44, 65}, {70, 35}}), w));
       }},
      {"chevron.left",
       [](double w) {
         return filled(stroked(polyline({{64, 14}, {32, 50}, {64, 86}}), w * 1.2));
       }},
      {"chevron.right",
       [](double w) {
         return filled(stroked(polyline({{36, 14}, {68, 50}, {36, 86}}), w * 1.2));
       }},
      {"chevron.compact.left",
       [](double w) {
         return filled(stroked(polyline({{60, 10}, {40, 50}, {60, 90}}), w * 1.1));
       }},
      {"chevron.compact.right",
       [](double w) {
         return filled(stroked(polyline({{40, 10}, {60, 50}, {40, 90}}), w * 1.1));
       }},
      {"arrow.right",
       [](double w) {
         QPainterPath p = stroked(lines({{{12, 50}, {84, 50}}}), w);
         p = p.united(stroked(polyline({{56, 22}, {86, 50}, {56, 78}}), w));
         return filled(p);
       }},
      {"arrow.clockwise",
       [](double w) {
         const QPointF c(50, 55);
         const double r = 33;
         QPainterPath p = stroked(arc(c, r, 50, -308), w);
         // The head at the end of the arc (just left of the top), pointing along the turn.
         const double end = (50 - 308) * kPi / 180.0;
         const QPointF e = c + QPointF(std::cos(end) * r, -std::sin(end) * r);
         const QPointF ahead(std::sin(end), std::cos(end));
         const QPointF out(std::cos(end), -std::sin(end));
         p = p.united(roundedPolygon(
             {e + ahead * 16, e + out * 13 - ahead * 2, e - out * 13 - ahead * 2}, 2.5));
         return filled(p);
       }},
      {"arrow.up.forward.app",
       [](double w) {
         QPainterPath frame;
         frame.moveTo(46, 18);
         frame.lineTo(32, 18);
         frame.quadTo(14, 18, 14, 36);
         frame.lineTo(14, 68);
         frame.quadTo(14, 86, 32, 86);
         frame.lineTo(64, 86);
         frame.quadTo(82, 86, 82, 68);
         frame.lineTo(82, 54);
         QPainterPath p = stroked(frame, w);
         p = p.united(stroked(lines({{{42, 58}, {84, 16}}}), w));
         p = p.united(stroked(polyline({{58, 15}, {85, 15}, {85, 42}}), w));
         return filled(p);
       }},
      {"folder",
       [](double w) {
         return filled(openFolder({10, 19, 80, 64}, w));
       }},
      {"folder.fill",
       [](double) {
         return filled(folderOutline({8, 18, 84, 66}));
       }},
      {"folder.badge.plus",
       [](double w) {
         QPainterPath p = openFolder({8, 30, 70, 54}, w).subtracted(circle({78, 22}, 20));
         p = p.united(stroked(lines({{{78, 9}, {78, 35}}, {{65, 22}, {91, 22}}}), w));
         return filled(p);
       }},
      {"folder.badge.minus",
       [](double w) {
         QPainterPath p = openFolder({8, 30, 70, 54}, w).subtracted(circle({78, 22}, 20));
         p = p.united(stroked(lines({{{65, 22}, {91, 22}}}), w));
         return filled(p);
       }},
      {"folder.badge.gearshape",
       [](double w) {
         QPainterPath p = openFolder({8, 16, 74, 58}, w).subtracted(circle({74, 72}, 27));
         p = p.united(gear({74, 72}, 22, 16.5, 8, 7));
         return filled(p);
       }},
      {"gearshape.fill",
       [](double) {
         return filled(gear({50, 50}, 45, 35, 8, 14));
       }},
      {"gearshape.2.fill",
       [](double) {
         QPainterPath p = gear({39, 61}, 34, 26, 8, 10).subtracted(circle({76, 25}, 25));
         p = p.united(gear({76, 25}, 20, 15, 6, 6.5));
         return filled(p);
       }},
      {"square.grid.3x3.fill",
       [](double) {
         QPainterPath p;
         for (int row = 0; row < 3; ++row) {
           for (int column = 0; column < 3; ++column)
             p = p.united(roundedRect({10.0 + column * 28, 10.0 + row * 28, 24, 24}, 5));
         }
         return filled(p);
       }},
      {"square.grid.3x3.topleft.filled",
       [](double w) {
         const QRectF frame(12, 12, 76, 76);
         QPainterPath p = stroked(roundedRect(frame, 14), w);
         const double a = 12 + 76 / 3.0, b = 12 + 152 / 3.0;
         p = p.united(stroked(
             lines(
                 {{{a, 12}, {a, 88}}, {{b, 12}, {b, 88}}, {{12, a}, {88, a}}, {{12, b}, {88, b}}}),
             w * 0.85));
         p = p.united(roundedRect(frame, 14).intersected(roundedRect({12, 12, a - 12, a - 12}, 1)));
         return filled(p);
       }},
      {"calyxa.grid",
       [](double) {
         QPainterPath p;
         for (int row = 0; row < 3; ++row) {
           for (int column = 0; column < 3; ++column)
             p.addEllipse(QRectF(9.0 + column * 29, 9.0 + row * 29, 24, 24));
         }
         return filled(p);
       }},
      {"pencil",
       [](double w) {
         QPainterPath p =
             stroked(roundedPolygon({{8, 50}, {27, 39}, {90, 39}, {90, 61}, {27, 61}}, 3), w);
         p = p.united(stroked(lines({{{27, 39}, {27, 61}}, {{77, 39}, {77, 61}}}), w));
         return filled(QTransform().translate(50, 50).rotate(-45).translate(-50, -50).map(p));
       }},
      {"trash",
       [](double w) {
         QPainterPath p =
             stroked(lines({{{14, 24}, {86, 24}}, {{43, 40}, {43, 72}}, {{57, 40}, {57, 72}}}), w);
         p = p.united(stroked(polyline({{38, 23}, {38, 12}, {62, 12}, {62, 23}}), w));
         p = p.united(stroked(polyline({{23, 26}, {27, 88}, {73, 88}, {77, 26}}), w));
         return filled(p);
       }},
      {"power",
       [](double w) {
         return filled(power({50, 54}, 33, w));
       }},
      {"power.circle.fill",
       [](double w) {
         return badge(power({50, 54}, 19, w));
       }},
      {"hand.raised.fill", [](double) { return filled(raisedHand()); }},
      {"hand.raised", [](double w) { return filled(stroked(raisedHand(), w)); }},
      {"hand.pinch.fill",
       [](double) {
         // Thumb and forefinger pinched into a ring, the other fingers up.
         QPainterPath p =
             fingers({{{52, 18}, {52, 60}}, {{65, 21}, {65, 60}}, {{77.5, 31}, {77.5, 62}}}, 11.5);
         p = p.united(stroked(circle({31, 44}, 13.5), 11));
         p = p.united(
             roundedPolygon({{34, 50}, {83, 50}, {83, 74}, {70, 93}, {44, 93}, {30, 78}}, 11));
         return filled(p.subtracted(circle({31, 44}, 8)));
       }},
      {"sparkles",
       [](double) {
         QPainterPath p = sparkle({40, 59}, 32);
         p = p.united(sparkle({76, 24}, 16));
         p = p.united(sparkle({22, 17}, 9));
         return filled(p);
       }},
      {"sparkles.rectangle.stack.fill",
       [](double) {
         QPainterPath p = roundedRect({18, 9, 64, 7}, 3.5);
         p = p.united(roundedRect({11, 19.5, 78, 7}, 3.5));
         QPainterPath cut = sparkle({46, 63}, 19);
         cut = cut.united(sparkle({68, 45}, 8));
         p = p.united(roundedRect({6, 31, 88, 62}, 13).subtracted(cut));
         return filled(p);
       }},
  };
  return table;
}

constexpr std::array<double, 5> kStrokeWidths = {5.5, 7.0, 8.0, 9.0, 10.5};

// A design that strays past the square is drawn smaller, so that no symbol leaves its box.
SymbolOutline keptInside(SymbolOutline outline) {
  const QRectF bounds = outline.shape.boundingRect();
  const double margin = 0.5;
  const double reach =
      std::max({50 - bounds.left(), bounds.right() - 50, 50 - bounds.top(), bounds.bottom() - 50});
  QTransform fit;
  if (reach > 50 - margin) {
    const double scale = (50 - margin) / reach;
    fit.translate(50, 50).scale(scale, scale).translate(-50, -50);
  }
  for (QPainterPath* path : {&outline.shape, &outline.disc, &outline.mark}) {
    *path = fit.map(*path);
  }
  return outline;
}

// Outlines are made when a symbol is first drawn at a weight, not all at once: making them all
// would take tens of milliseconds out of the overlay's first frame. Once made they never change.
class OutlineStore {
 public:
  const SymbolOutline* find(std::string_view name, SymbolWeight weight) {
    const auto index = indexes_.find(name);
    if (index == indexes_.end()) return nullptr;
    const auto w = static_cast<std::size_t>(weight);
    std::lock_guard lock(mutex_);
    auto& slot = made_[index->second][w];
    if (!slot)
      slot = std::make_unique<SymbolOutline>(
          keptInside(builders()[index->second].second(kStrokeWidths[w])));
    return slot.get();
  }

  static OutlineStore& shared() {
    static OutlineStore store;
    return store;
  }

 private:
  OutlineStore() : made_(builders().size()) {
    for (std::size_t i = 0; i < builders().size(); ++i)
      indexes_.emplace(builders()[i].first, i);
  }

  std::unordered_map<std::string_view, std::size_t> indexes_;
  std::mutex mutex_;
  std::vector<std::array<std::unique_ptr<SymbolOutline>, 5>> made_;
};

}  // namespace

const SymbolOutline* symbolOutline(std::string_view name, SymbolWeight weight) {
  return OutlineStore::shared().find(name, weight);
}

const std::vector<std::string_view>& symbolNames() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> result;
    for (const auto& entry : builders())
      result.push_back(entry.first);
    return result;
  }();
  return names;
}

}  // namespace calyxa
