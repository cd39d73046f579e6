#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

namespace calyxa {

// The materials and blending modes of a visual-effect view, with the raw values other
// components may store.
enum class VisualEffectMaterial {
  titlebar = 3,
  selection = 4,
  menu = 5,
  popover = 6,
  sidebar = 7,
  headerView = 10,
  sheet = 11,
  windowBackground = 12,
  hudWindow = 13,
  fullScreenUI = 15,
  toolTip = 17,
  contentBackground = 18,
  underWindowBackground = 21,
  underPageBackground = 22,
};

enum class VisualEffectBlendingMode { behindWindow = 0, withinWindow = 1 };
enum class VisualEffectState { followsWindowActiveState = 0, active = 1, inactive = 2 };

// A blurred view of what lies behind the window. Linux has no compositor blur an application
// can ask for, so the view shows a snapshot of the desktop under it, taken when its window is
// about to appear (before it covers the desktop), blurred and tinted for the material. Where no
// snapshot can be had (Wayland, offscreen) it shows a dark tint of the material instead.
// The blurred picture is made once per snapshot, material and size; painting copies it.
class VisualEffectView final : public QWidget {
 public:
  using SnapshotSource = std::function<std::optional<QImage>(QWidget& view)>;

  explicit VisualEffectView(QWidget* parent = nullptr);

  VisualEffectMaterial material() const { return material_; }
  void setMaterial(VisualEffectMaterial material);
  VisualEffectBlendingMode blendingMode() const { return blendingMode_; }
  void setBlendingMode(VisualEffectBlendingMode mode);
  VisualEffectState state() const { return state_; }
  void setState(VisualEffectState state);
  bool isEmphasized() const { return emphasized_; }
  void setEmphasized(bool emphasized);

  // Property writes so far: what reconciling an unchanged description must leave alone.
  int propertyWrites() const { return propertyWrites_; }

  // Where snapshots come from: the desktop under the view by default; tests and benchmarks
  // hand in pictures of their own.
  void setSnapshotSource(SnapshotSource source) { snapshotSource_ = std::move(source); }
  // Takes a new snapshot now.
  void refreshSnapshot();
  // Takes one if the window is not on screen yet, so that the desktop shows without it. The
  // view calls it when shown; a backdrop that draws the view's picture itself calls it too.
  void windowWillAppear();
  bool hasSnapshot() const { return !snapshot_.isNull(); }
  // The picture shown, in device pixels; made on first use.
  const QImage& effectImage();
  // Times the blurred picture was made (it is kept between paints).
  int effectRenders() const { return effectRenders_; }

  // The colour shown where no snapshot exists.
  static QColor fallbackTint(VisualEffectMaterial material);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void invalidateEffect();

  VisualEffectMaterial material_ = VisualEffectMaterial::fullScreenUI;
  VisualEffectBlendingMode blendingMode_ = VisualEffectBlendingMode::behindWindow;
  VisualEffectState state_ = VisualEffectState::followsWindowActiveState;
  bool emphasized_ = false;
  int propertyWrites_ = 0;
  SnapshotSource snapshotSource_;
  QImage snapshot_;
  QImage effect_;
  int effectRenders_ = 0;
};

}  // namespace calyxa
