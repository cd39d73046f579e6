#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "catalogue/launch_item.h"
#include "platform/animation.h"
#include "views/animation/animated_value.h"
#include "views/animation/frame_driver.h"
#include "views/grid/grid_metrics.h"
#include "views/grid/item_context_menu.h"

namespace calyxa {

class BottomPaginationDotsView;
class EmptySearchState;
class ModalSlot;
class PageEdgeDropZone;
class PagedGridContent;
class PagerStripContainer;
class PresentationEffect;
class SearchBar;
class StatusToastView;
class TilewellStore;
class VitrelAmbientBackdrop;

// The root view of the overlay. Back to front: the ambient backdrop (a click on it runs the
// dismissal chain), the main column (search bar, pages or the empty-search state, page dots)
// with its entrance effect, the page-edge drop zones while an item is dragged, then the places
// of the folder modal, the settings modal, the status toast and the onboarding modal. It keeps
// no state of its own: everything shown comes from the store, every control calls it.
class TilewellView final : public QWidget {
 public:
  // Modals are plugged in by factories; each makes its widget as a child of the view.
  using ModalFactory = std::function<QWidget*(QWidget* parent)>;
  using FolderModalFactory = std::function<QWidget*(
      QWidget* parent, const LaunchFolder& folder, std::function<void()> onDismiss,
      std::function<void(const AppItem&)> onLaunchApp)>;

  TilewellView(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent = nullptr,
               FrameDriver& driver = FrameDriver::shared());
  ~TilewellView() override;

  void setFolderModalFactory(FolderModalFactory factory);
  void setSettingsModalFactory(ModalFactory factory);
  void setOnboardingModalFactory(ModalFactory factory);
  // How an application's file is shown in the file manager (the context menu's last entry).
  void setRevealInFileViewer(std::function<void(const AppItem&)> reveal);

  // The screen's top notch, for the top inset.
  void setNotchHeight(double height);
  const OverlayMetrics& metrics() const { return metrics_; }

  // A click on the backdrop: closes the first of settings, folder, edit mode; else dismisses.
  void dismissFromBackdrop();
  // Return in the search field: launches or opens the first shown slot.
  void submitSearch();

  // The parts, for the shell and for tests.
  VitrelAmbientBackdrop* backdrop() const { return backdrop_; }
  QWidget* mainColumn() const { return column_; }
  SearchBar* searchBar() const { return searchBar_; }
  QWidget* pageArea() const { return pageArea_; }
  PagerStripContainer* strip() const { return strip_; }
  PagedGridContent* grid() const { return grid_; }
  EmptySearchState* emptyState() const { return empty_; }
  BottomPaginationDotsView* dots() const { return dots_; }
  PageEdgeDropZone* edgeZone(bool left) const { return left ? leftZone_ : rightZone_; }
  StatusToastView* toast() const { return toast_; }
  PresentationEffect* presentation() const { return presentation_; }
  QWidget* folderModal() const;
  QWidget* settingsModal() const;
  QWidget* onboardingModal() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void relayout();
  void refreshPages();
  void refreshEdgeZones();
  void refreshPresented(const Transaction& transaction);
  void restack();
  bool onFrame(double now);
  void openFolder(const LaunchFolder& folder);
  void launch(const AppItem& app);

  TilewellStore& store_;
  std::function<void()> onDismiss_;
  FrameDriver& driver_;
  std::function<void(const AppItem&)> reveal_;
  double notchHeight_ = 0.0;
  OverlayMetrics metrics_;
  bool backdropPressed_ = false;

  VitrelAmbientBackdrop* backdrop_;
  QWidget* column_;
  SearchBar* searchBar_;
  QWidget* pageArea_;
  PagerStripContainer* strip_;
  PagedGridContent* grid_;
  EmptySearchState* empty_;
  BottomPaginationDotsView* dots_;
  PageEdgeDropZone* leftZone_;
  PageEdgeDropZone* rightZone_;
  StatusToastView* toast_;
  PresentationEffect* presentation_;
  std::unique_ptr<ModalSlot> folderSlot_;
  std::unique_ptr<ModalSlot> settingsSlot_;
  std::unique_ptr<ModalSlot> onboardingSlot_;
  FolderModalFactory folderFactory_;
  Animated<double> presented_{0.0};
  FrameDriver::Client frames_;
};

}  // namespace calyxa
