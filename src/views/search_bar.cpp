#include "views/search_bar.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "platform/qt/property_observer.h"
#include "views/symbols/symbol_glyph.h"
#include "views/view_style.h"

namespace calyxa {
namespace {

constexpr double kSpacing = 8.0;
constexpr double kMagnifier = 13.0;
constexpr double kClear = 12.0;

int up(double v) {
  return static_cast<int>(std::ceil(v));
}

}  // namespace

PaintedButton::PaintedButton(Painter paint, QWidget* parent)
    : QAbstractButton(parent), paint_(std::move(paint)), tracker_(this) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void PaintedButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  paint_(painter, QRectF(QPointF(0, 0), QSizeF(size())), tracker_.interaction());
}

SearchCapsule::SearchCapsule(TilewellStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
  field_ = new QLineEdit(this);  // owned by this widget
  field_->setFrame(false);
  field_->setFont(uiFont(13.5, QFont::Medium));
  field_->setPlaceholderText(QStringLiteral("搜索"));
  field_->setAttribute(Qt::WA_MacShowFocusRect, false);
  QPalette palette = field_->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  palette.setColor(QPalette::Text, Qt::white);
  palette.setColor(QPalette::PlaceholderText, white(0.5));
  palette.setColor(QPalette::Highlight, cyan(0.45));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  field_->setPalette(palette);
  field_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
  field_->installEventFilter(this);

  clear_ = new PaintedButton(  // owned by this widget
      [](QPainter& p, const QRectF& r, const GlassInteraction& g) {
        paintSymbol(p, "xmark.circle.fill", r, white(g.hovered ? 0.95 : 0.75));
      },
      this);
  clear_->setSize(QSize(up(kClear), up(kClear)));

  QObject::connect(field_, &QLineEdit::textEdited, this,
                   [this](const QString& text) { store_.searchText = text.toStdString(); });
  QObject::connect(field_, &QLineEdit::returnPressed, this, [this] {
    if (onSubmit) onSubmit();
  });
  QObject::connect(clear_, &QAbstractButton::clicked, this, [this] {
    withAnimation(Animation::easeOut(0.18), [this] { store_.searchText = std::string(); });
  });
  observeChanges(this, store.changes, {"searchText", "items", "allAppsMap"},
                 [this](std::string_view, const Transaction&) { sync(); });
  resize(sizeHint());
  sync();
}

QSize SearchCapsule::sizeHint() const {
  const double line = std::ceil(QFontMetricsF(uiFont(13.5, QFont::Medium)).height());
  return QSize(up(kWidth), up(line + 2 * kPaddingY));
}

QString SearchCapsule::counterText() const {
  if (store_.searchText->empty()) return {};
  return QString::number(store_.filteredItems().size());
}

QRectF SearchCapsule::counterFrame() const {
  const QString text = counterText();
  if (text.isEmpty()) return {};
  const QFontMetricsF metrics(uiFont(10.5, QFont::Bold));
  const double w = metrics.horizontalAdvance(text) + 12;
  const double h = std::ceil(metrics.height()) + 4;
  const double right = width() - kPaddingX - kClear - kSpacing;
  return QRectF(right - w, (height() - h) / 2, w, h);
}

void SearchCapsule::sync() {
  const QString text = QString::fromStdString(store_.searchText);
  if (field_->text() != text) field_->setText(text);
  clear_->setVisible(!text.isEmpty());
  layoutChildren();
  update();
}

void SearchCapsule::layoutChildren() {
  const double left = kPaddingX + kMagnifier + kSpacing;
  double right = width() - kPaddingX;
  if (!store_.searchText->empty()) {
    clear_->move(up(right - kClear), up((height() - kClear) / 2));
    right = counterFrame().left() - kSpacing;
  }
  field_->setGeometry(up(left), 0, std::max(0, static_cast<int>(right - left)), height());
}

void SearchCapsule::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutChildren();
}

bool SearchCapsule::eventFilter(QObject* watched, QEvent* event) {
  if (watched == field_ &&
      (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    focused_ = event->type() == QEvent::FocusIn;
    update();
  }
  return QWidget::eventFilter(watched, event);
}

void SearchCapsule::mousePressEvent(QMouseEvent* event) {
  field_->setFocus(Qt::MouseFocusReason);
  event->accept();
}

void SearchCapsule::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF all(QPointF(0, 0), QSizeF(size()));
  const VantorelModifier glass =
      focused_ ? vantorel(GlassShape::capsule(), srgb(0.4, 0.8, 1.0), 0.16, true, 1.15)
               : vantorel(GlassShape::capsule(), Qt::white, 0.07, true, 0.75);
  glass_.paint(painter, glass, all, [&](QPainter& p) {
    const QRectF magnifier(kPaddingX, (height() - kMagnifier) / 2, kMagnifier, kMagnifier);
    paintSymbol(p, "magnifyingglass", magnifier, white(0.8), SymbolWeight::semibold);
    const QRectF counter = counterFrame();
    if (!counter.isEmpty()) {
      p.setPen(Qt::NoPen);
      p.setBrush(white(0.18));
      p.drawRoundedRect(counter, counter.height() / 2, counter.height() / 2);
      p.setPen(white(0.85));
      p.setFont(uiFont(10.5, QFont::Bold));
      p.drawText(counter, Qt::AlignCenter, counterText());
    }
  });
}

SearchBar::SearchBar(TilewellStore& store, QWidget* parent) : QWidget(parent), store_(store) {
  capsule_ = new SearchCapsule(store, this);  // owned by this widget
  const QFont font = uiFont(12, QFont::Medium);
  const QString label = QStringLiteral("设置");
  const QFontMetricsF metrics(font);
  const double contentWidth = 12.5 + 5 + metrics.horizontalAdvance(label);
  const double contentHeight = std::max(12.5, std::ceil(metrics.height()));
  settings_ = new PaintedButton(  // owned by this widget
      [this, font, label](QPainter& p, const QRectF& r, const GlassInteraction& g) {
        const bool on = store_.showSettings;
        const VantorelModifier glass = vantorel(
            GlassShape::capsule(), on ? cyan(1.0) : QColor(Qt::white), on ? 0.2 : 0.07, true, 0.75);
        settingsGlass_.paint(
            p, glass, r,
            [&](QPainter& q) {
              const QRectF gear(12, (r.height() - 12.5) / 2, 12.5, 12.5);
              paintSymbol(q, "gearshape.fill", gear, white(0.86), SymbolWeight::semibold);
              q.setPen(white(0.86));
              q.setFont(font);
              q.drawText(QRectF(gear.right() + 5, 0, r.width() - gear.right() - 5 - 12, r.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, label);
            },
            g);
      },
      this);
  settings_->setSize(QSize(up(contentWidth + 24), up(contentHeight + 13)));
  settings_->setToolTip(QStringLiteral("打开设置与开机自启开关"));
  QObject::connect(settings_, &QAbstractButton::clicked, this, [this] {
    store_.refreshPermissionStates();
    store_.refreshLaunchAtLoginState();
    withAnimation(Animation::spring(0.26, 1.0),
                  [this] { store_.showSettings = !store_.showSettings.get(); });
  });
  observeProperty(this, store.showSettings,
                  [this](bool, const Transaction&) { settings_->update(); });
}

void SearchBar::setBand(double width, double topInset) {
  topInset_ = topInset;
  resize(up(width), up(topInset + 54));
  const double middle = topInset + 27;
  const QSize c = capsule_->sizeHint();
  capsule_->setGeometry(up((width - c.width()) / 2), up(middle - c.height() / 2.0), c.width(),
                        c.height());
  const QSize s = settings_->sizeHint();
  settings_->setGeometry(up(width - kSettingsTrailing - s.width()), up(middle - s.height() / 2.0),
                         s.width(), s.height());
}

}  // namespace calyxa
