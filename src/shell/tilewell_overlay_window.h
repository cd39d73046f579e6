#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "catalogue/tilewell_store.h"
#include "platform/event_monitors.h"
#include "platform/qt/qt_key_translation.h"
#include "shell/scroll_paging.h"

class QScreen;

namespace calyxa {

// The one window of the interface: frameless and translucent, above every other window
// (panels and docks included) on every workspace, kept out of the taskbar and the window
// switcher, covering one screen. It reads the keyboard before its widgets do: Escape, the
// arrows, Return, Delete and type-to-search by the program's key codes, the editing shortcuts,
// and text from the input method. Created once, then only shown and hidden.
class TilewellOverlayWindow final : public QWidget {
 public:
  TilewellOverlayWindow(QScreen* screen, TilewellStore& store,
                        std::shared_ptr<EventMonitors> eventMonitors);
  ~TilewellOverlayWindow() override;

  std::function<void()> onEscapeOrDismiss;
  std::function<void(int pageDelta)> onHorizontalSwipe;
  std::function<void(int dx, int dy)> onMoveSelection;
  // A scroll over the window; true when it was used (it then reaches no widget).
  std::function<bool(const ScrollEvent&)> onScroll;
  // The input method's unfinished text changed.
  std::function<void(const QString& preedit)> onPreeditChanged;
  // A frame of the window was painted and handed to the window system.
  std::function<void()> onFramePainted;

  // Covers `screen`'s full geometry (not its available area).
  void placeOnScreen(QScreen* screen);
  // Brings the window forward and gives it the keyboard.
  void orderFrontAndMakeKey();

  // The key handling, first match wins; true when the key was used.
  bool keyDown(const TranslatedKey& key);
  // Ctrl (the Mac's Command) with V, C, X, A, Z and Shift+Ctrl+Z edit the search.
  bool performKeyEquivalent(const TranslatedKey& key);
  void cancelOperation();

  // What the input method is composing, shown in the search field until committed.
  const QString& preeditText() const { return preedit_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool belongsHere(QObject* object) const;
  bool handleKeyPress(QKeyEvent& event);
  bool editSearch(char action, bool shift);
  void reportFrameAfterThisEvent();
  // Desktop hints the toolkit has no words for; a window manager drops them when the window is
  // withdrawn, so they are set before every showing.
  void applyX11DesktopHints();

  TilewellStore& store_;
  std::shared_ptr<EventMonitors> eventMonitors_;
  QString preedit_;
  bool frameReportPending_ = false;
};

}  // namespace calyxa
