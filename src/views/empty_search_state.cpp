#include "views/empty_search_state.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "platform/qt/property_observer.h"
#include "views/search_bar.h"
#include "views/symbols/symbol_glyph.h"
#include "views/view_style.h"

namespace calyxa {
namespace {

constexpr double kPadding = 28.0;
constexpr double kSpacing = 14.0;
constexpr double kSymbol = 40.0;
constexpr double kMaxMessageWidth = 520.0;

int up(double v) {
  return static_cast<int>(std::ceil(v));
}

QFont messageFont() {
  return uiFont(16, QFont::DemiBold);
}

}  // namespace

EmptySearchState::EmptySearchState(TilewellStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
  const QFont font = uiFont(12.5, QFont::Medium);
  const QString label = QStringLiteral("清除搜索");
  const QFontMetricsF metrics(font);
  clear_ = new PaintedButton(  // owned by this widget
      [this, font, label](QPainter& p, const QRectF& r, const GlassInteraction& g) {
        buttonGlass_.paint(
            p, vantorel(GlassShape::capsule(), cyan(1.0), 0.16, true, 0.75), r,
            [&](QPainter& q) {
              q.setPen(Qt::white);
              q.setFont(font);
              q.drawText(r, Qt::AlignCenter, label);
            },
            g);
      },
      this);
  clear_->setSize(QSize(up(metrics.horizontalAdvance(label) + 28), up(metrics.height() + 12)));
  QObject::connect(clear_, &QAbstractButton::clicked, this,
                   [this] { store_.searchText = std::string(); });
  observeProperty(this, store.searchText, [this](const std::string&, const Transaction&) {
    if (parentWidget()) centreIn(QRectF(QPointF(0, 0), QSizeF(parentWidget()->size())));
    update();
  });
}

QString EmptySearchState::message() const {
  return QStringLiteral("未找到「") + QString::fromStdString(store_.searchText) +
         QStringLiteral("」");
}

QSize EmptySearchState::contentSize() const {
  const QFontMetricsF metrics(messageFont());
  const double text = std::min(metrics.horizontalAdvance(message()), kMaxMessageWidth);
  const double width = std::max({text, kSymbol, double(clear_->width())});
  const double height =
      kSymbol + kSpacing + std::ceil(metrics.height()) + kSpacing + clear_->height();
  return QSize(up(width + 2 * kPadding), up(height + 2 * kPadding));
}

void EmptySearchState::centreIn(const QRectF& area) {
  const QSize size = contentSize();
  setGeometry(up(area.center().x() - size.width() / 2.0),
              up(area.center().y() - size.height() / 2.0), size.width(), size.height());
  clear_->move(up((size.width() - clear_->width()) / 2.0),
               size.height() - up(kPadding) - clear_->height());
}

void EmptySearchState::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF all(QPointF(0, 0), QSizeF(size()));
  glass_.paint(painter, vantorel(GlassShape::roundedRectangle(22), Qt::white, 0.08), all,
               [&](QPainter& p) {
                 const QRectF symbol((width() - kSymbol) / 2, kPadding, kSymbol, kSymbol);
                 paintSymbol(p, "sparkle.magnifyingglass", symbol, white(0.7), SymbolWeight::light);
                 const QFont font = messageFont();
                 const QFontMetricsF metrics(font);
                 const QRectF line(kPadding, symbol.bottom() + kSpacing, width() - 2 * kPadding,
                                   std::ceil(metrics.height()));
                 p.setFont(font);
                 p.setPen(white(0.9));
                 p.drawText(line, Qt::AlignCenter | Qt::TextSingleLine,
                            metrics.elidedText(message(), Qt::ElideMiddle, line.width()));
               });
}

void EmptySearchState::mousePressEvent(QMouseEvent* event) {
  event->accept();
}

}  // namespace calyxa
