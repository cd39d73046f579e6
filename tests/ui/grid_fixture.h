#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include <memory>
#include <string>

#include "editing/arrangement_checks.h"
#include "views/animation/frame_driver.h"
#include "views/grid/launch_item_cell.h"
#include "views/grid/paged_grid_content.h"
#include "views/tilewell_view.h"

namespace calyxa::testing {

// The overlay's root view over a test store, its animations on the store's manual clock.
struct GridFixture {
  TestStore store;
  FrameDriver driver{store.platform.scheduler->clock(), store.platform.scheduler->mainQueue()};
  int dismissals = 0;
  std::unique_ptr<TilewellView> view;

  explicit GridFixture(const std::string& arrangement, QSize size = {1440, 900}) {
    arrange(store, arrangement);
    withoutAnimation([&] {
      store->isPresented = true;
      store->showOnboarding = false;
    });
    view = std::make_unique<TilewellView>(
        *store, [this] { ++dismissals; }, nullptr, driver);
    view->setRevealInFileViewer([](const AppItem&) {});
    view->resize(size);
    view->show();
    QApplication::processEvents();
  }

  // Lets `seconds` of animation pass, frame by frame.
  void advance(double seconds) {
    store.platform.scheduler->advance(seconds);
    QApplication::processEvents();
  }

  // A click as the window system delivers it: to the widget under the point, passed up to its
  // parents while refused.
  void click(QPointF at) const {
    QWidget* target = view->childAt(at.toPoint());
    if (!target) target = view.get();
    const QPointF local = target->mapFrom(view.get(), at);
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, local, view->mapToGlobal(at), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(target, &event);
    }
  }

  LaunchItemCell* cell(const std::string& name) const { return view->grid()->cellFor(appID(name)); }

  // The view as a picture, also written to renders/<name>.png for a person to look at.
  QImage render(const std::string& name) const {
    QApplication::processEvents();
    const QImage image = view->grab().toImage();
    std::filesystem::create_directories(CALYXA_RENDER_DIR);
    image.save(QString::fromStdString(CALYXA_RENDER_DIR "/" + name + ".png"));
    return image;
  }
};

// A cell's frame in the view's coordinates.
inline QRect frameInView(const QWidget& widget, const QWidget& view) {
  return QRect(widget.mapTo(&view, QPoint(0, 0)), widget.size());
}

}  // namespace calyxa::testing
