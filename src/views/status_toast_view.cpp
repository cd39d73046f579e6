#include "views/status_toast_view.h"

#include <QPainter>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "platform/qt/property_observer.h"
#include "views/symbols/symbol_glyph.h"
#include "views/view_style.h"

namespace calyxa {

StatusToastView::StatusToastView(TilewellStore& store, FrameDriver& driver, QWidget* parent)
    : QWidget(parent), store_(store), animator_(this, driver) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  animator_.track(presence_);
  observeProperty(this, store.statusToast,
                  [this](const std::optional<std::string>&, const Transaction& t) { refresh(t); });
  refresh(Transaction{});
}

void StatusToastView::refresh(const Transaction& transaction) {
  const auto& toast = store_.statusToast.get();
  if (toast) text_ = QString::fromStdString(*toast);
  // Without an animation of its own the toast still slides and fades.
  Animation animation = transaction.effectiveAnimation();
  if (animation.isNone() && !transaction.disablesAnimations)
    animation = Animation::spring(0.3, 0.9);
  presence_.setTarget(toast ? 1.0 : 0.0, animation, animator_.now());
  animator_.wake();
}

QRectF StatusToastView::capsuleFrame() const {
  const QFontMetricsF metrics(uiFont(12.5, QFont::Medium));
  const double maxText = std::max(0.0, width() - 160.0);
  const double text = std::min(metrics.horizontalAdvance(text_), maxText);
  const double w = 16 + 12 + 8 + text + 16;
  const double h = std::ceil(metrics.height()) + 16;
  return QRectF((width() - w) / 2, height() - kBottomDistance - h, w, h);
}

void StatusToastView::paintEvent(QPaintEvent*) {
  const double presence = presence_.value(animator_.now());
  if (presence <= 0.001 || text_.isEmpty()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF rest = capsuleFrame();
  // From just below the bottom edge to its place.
  const double travel = height() - rest.top();
  const QRectF frame = rest.translated(0, (1.0 - presence) * travel);
  painter.setOpacity(std::clamp(presence, 0.0, 1.0));
  glass_.paint(painter, vantorel(GlassShape::capsule(), cyan(1.0), 0.16), frame, [&](QPainter& p) {
    const QRectF symbol(frame.left() + 16, frame.center().y() - 6, 12, 12);
    paintSymbol(p, "sparkles", symbol, srgb(0.55, 0.88, 1.0));
    const QFont font = uiFont(12.5, QFont::Medium);
    const QRectF line(symbol.right() + 8, frame.top(), frame.right() - 16 - symbol.right() - 8,
                      frame.height());
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(line, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               QFontMetricsF(font).elidedText(text_, Qt::ElideRight, line.width()));
  });
}

}  // namespace calyxa
