#include "shell/tilewell_overlay_window.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QNativeGestureEvent>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include "platform/keyboard_codes.h"
#include "platform/qt/x11_desktop.h"

namespace calyxa {
namespace {

constexpr std::uint16_t kKeypadEnter = 76;
constexpr char32_t kLastTypedScalar = 0xF6FF;

// Removes the last character (a whole code point) of UTF-8 text.
std::string withoutLastCharacter(const std::string& text) {
  QString wide = QString::fromStdString(text);
  wide.chop(wide.size() >= 2 && wide.back().isLowSurrogate() ? 2 : 1);
  return wide.toStdString();
}

}  // namespace

TilewellOverlayWindow::TilewellOverlayWindow(QScreen* screen, TilewellStore& store,
                                             std::shared_ptr<EventMonitors> eventMonitors)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::NoDropShadowWindowHint),
      store_(store),
      eventMonitors_(std::move(eventMonitors)) {
  setWindowTitle(QStringLiteral("Calyxa Grid"));
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_InputMethodEnabled);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  // Keys, scrolls and gestures reach this window before its widgets.
  qApp->installEventFilter(this);
  placeOnScreen(screen);
}

TilewellOverlayWindow::~TilewellOverlayWindow() {
  if (qApp) qApp->removeEventFilter(this);
}

void TilewellOverlayWindow::placeOnScreen(QScreen* screen) {
  if (!screen) return;
  if (!windowHandle()) create();
  windowHandle()->setScreen(screen);
  setGeometry(screen->geometry());
}

void TilewellOverlayWindow::orderFrontAndMakeKey() {
  if (!isVisible()) {
    applyX11DesktopHints();
    showFullScreen();
  }
  raise();
  activateWindow();
  if (!QApplication::focusWidget() || QApplication::focusWidget()->window() != this) {
    setFocus(Qt::ActiveWindowFocusReason);
  }
}

void TilewellOverlayWindow::applyX11DesktopHints() {
  if (!windowHandle()) create();
  applyOverlayDesktopHints(*windowHandle());
}

bool TilewellOverlayWindow::belongsHere(QObject* object) const {
  const auto* widget = qobject_cast<QWidget*>(object);
  return widget && widget->window() == this;
}

bool TilewellOverlayWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Expose:
    case QEvent::UpdateRequest:
      if (watched == windowHandle()) reportFrameAfterThisEvent();
      return false;
    case QEvent::KeyPress:
      return belongsHere(watched) && handleKeyPress(static_cast<QKeyEvent&>(*event));
    case QEvent::Wheel:
      return belongsHere(watched) && onScroll &&
             onScroll(scrollEventFromQt(static_cast<QWheelEvent&>(*event)));
    case QEvent::NativeGesture: {
      if (!belongsHere(watched) || !eventMonitors_) return false;
      const auto& gesture = static_cast<QNativeGestureEvent&>(*event);
      MagnifyEvent magnify;
      if (gesture.gestureType() == Qt::BeginNativeGesture) {
        magnify.phase = kEventPhaseBegan;
      } else if (gesture.gestureType() == Qt::ZoomNativeGesture) {
        magnify.phase = 4;
        magnify.magnification = gesture.value();
      } else {
        return false;
      }
      return eventMonitors_->deliverLocalMagnifyEvent(magnify) == EventDisposition::consume;
    }
    default:
      return false;
  }
}

bool TilewellOverlayWindow::handleKeyPress(QKeyEvent& event) {
  const TranslatedKey key = translateQtKeyEvent(event);
  if (const auto keyDownEvent = key.keyDown();
      keyDownEvent && eventMonitors_ &&
      eventMonitors_->deliverLocalKeyDownEvent(*keyDownEvent) == EventDisposition::consume) {
    return true;
  }
  return performKeyEquivalent(key) || keyDown(key);
}

bool TilewellOverlayWindow::keyDown(const TranslatedKey& key) {
  const std::uint16_t code = key.keyCode.value_or(0xFFFF);
  if (code == keycode::kEscape) {
    cancelOperation();
    return true;
  }
  // The folder modal handles its own keys.
  if (store_.activeFolder->has_value()) return false;

  const bool option = key.modifierFlags & modifier::kOption;
  const auto swipe = [this](int delta) {
    if (onHorizontalSwipe) onHorizontalSwipe(delta);
  };
  const auto move = [this](int dx, int dy) {
    if (onMoveSelection) onMoveSelection(dx, dy);
  };
  switch (code) {
    case keycode::kLeftArrow:
      option ? swipe(-1) : move(-1, 0);
      return true;
    case keycode::kRightArrow:
      option ? swipe(+1) : move(+1, 0);
      return true;
    case keycode::kUpArrow:
      option ? swipe(-1) : move(0, -1);
      return true;
    case keycode::kDownArrow:
      option ? swipe(+1) : move(0, +1);
      return true;
    case keycode::kReturn:
    case kKeypadEnter:
      if (!store_.selectedItemID->has_value() && store_.searchText->empty()) return true;
      store_.activateSelection(
          [this] {
            if (onEscapeOrDismiss) onEscapeOrDismiss();
          },
          [this](const LaunchFolder& folder) {
            withAnimation(Animation::spring(0.28, 0.95), [&] { store_.activeFolder = folder; });
          });
      return true;
    case keycode::kDelete:
      if (!store_.searchText->empty()) {
        store_.searchText = withoutLastCharacter(store_.searchText);
      }
      return true;
    default:
      break;
  }

  // Type-to-search: nothing but Shift held (Caps Lock counts as held).
  const std::uint64_t held =
      key.modifierFlags & modifier::kDeviceIndependentMask & ~modifier::kShift;
  const QString& characters = key.charactersIgnoringModifiers;
  if (held != 0 || characters.isEmpty()) return false;
  const char32_t first = characters.toUcs4().value(0);
  if (first < 0x20 || first > kLastTypedScalar) return false;
  store_.searchText = store_.searchText.get() + characters.toStdString();
  return true;
}

bool TilewellOverlayWindow::performKeyEquivalent(const TranslatedKey& key) {
  constexpr std::uint64_t kChord = modifier::kCommand | modifier::kOption | modifier::kControl;
  if ((key.modifierFlags & kChord) != modifier::kCommand) return false;
  const QString characters = key.charactersIgnoringModifiers.toLower();
  if (characters.isEmpty()) return false;
  const char action = char(characters.front().unicode());
  if (characters.size() != 1 || QStringLiteral("vcxaz").indexOf(characters.front()) < 0) {
    return false;
  }
  return editSearch(action, key.modifierFlags & modifier::kShift);
}

bool TilewellOverlayWindow::editSearch(char action, bool shift) {
  QWidget* focus = QApplication::focusWidget();
  if (auto* edit = qobject_cast<QLineEdit*>(focus); edit && edit->window() == this) {
    switch (action) {
      case 'v':
        edit->paste();
        break;
      case 'c':
        edit->copy();
        break;
      case 'x':
        edit->cut();
        break;
      case 'a':
        edit->selectAll();
        break;
      default:
        shift ? edit->redo() : edit->undo();
        break;
    }
    return true;
  }
  // The search text without a field of its own: paste appends, copy and cut take it whole.
  QClipboard* clipboard = QApplication::clipboard();
  const std::string& search = store_.searchText;
  switch (action) {
    case 'v': {
      QString pasted = clipboard->text();
      pasted.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
      if (pasted.isEmpty()) return false;
      store_.searchText = search + pasted.toStdString();
      return true;
    }
    case 'c':
    case 'x':
      if (search.empty()) return false;
      clipboard->setText(QString::fromStdString(search));
      if (action == 'x') store_.searchText = std::string();
      return true;
    default:
      return false;
  }
}

void TilewellOverlayWindow::cancelOperation() {
  if (onEscapeOrDismiss) onEscapeOrDismiss();
}

void TilewellOverlayWindow::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) {
    store_.searchText = store_.searchText.get() + event->commitString().toStdString();
  }
  if (event->preeditString() != preedit_) {
    preedit_ = event->preeditString();
    if (onPreeditChanged) onPreeditChanged(preedit_);
  }
  event->accept();
}

QVariant TilewellOverlayWindow::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImSurroundingText:
      return QString::fromStdString(store_.searchText);
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
      return int(QString::fromStdString(store_.searchText).size());
    case Qt::ImCursorRectangle:
      // Where the search field stands: the candidates open under it.
      return QRect(width() / 2 - 150, 48, 1, 28);
    default:
      return QWidget::inputMethodQuery(query);
  }
}

void TilewellOverlayWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!focusWidget()) setFocus(Qt::ActiveWindowFocusReason);
}

void TilewellOverlayWindow::reportFrameAfterThisEvent() {
  // The window system's expose and update events paint the widgets and flush the frame before
  // they return: the report waits for the end of the event.
  if (!onFramePainted || frameReportPending_) return;
  frameReportPending_ = true;
  QTimer::singleShot(0, this, [this] {
    frameReportPending_ = false;
    if (onFramePainted) onFramePainted();
  });
}

void TilewellOverlayWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && eventMonitors_) {
    eventMonitors_->setOwnWindowHasKeyboardFocus(isActiveWindow());
  }
}

}  // namespace calyxa
