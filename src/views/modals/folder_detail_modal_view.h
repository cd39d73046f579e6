#pragma once

#include <QMenu>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/tilewell_store.h"
#include "views/controls/glass_button.h"
#include "views/controls/glass_text_field.h"
#include "views/modals/folder_app_grid.h"
#include "views/modals/modal_layer.h"

namespace calyxa {

// The open folder over the grid, shown while the store's activeFolder is set: its name to edit,
// its applications to launch or take out, and the buttons that fill or dissolve it. It closes
// through `onDismiss` (the dimming layer, "完成") and by itself when the folder is gone.
class FolderDetailModalView final : public ModalLayer {
 public:
  static constexpr double kPanelWidth = 680;
  static constexpr double kTitleMaxWidth = 340;

  // `onDismiss` clears the open folder (by default with the closing spring); `onLaunchApp`
  // launches an application (by default the store's launch).
  FolderDetailModalView(TilewellStore& store, std::function<void()> onDismiss = {},
                        std::function<void(const AppItem&)> onLaunchApp = {},
                        QWidget* parent = nullptr, FrameDriver& driver = FrameDriver::shared());

  // The folder shown, while one is.
  const std::optional<LaunchFolder>& folder() const { return folder_; }

  GlassTextField& nameField() { return *nameField_; }
  FolderAppGrid& grid() { return *grid_; }
  GlassButton& addButton() { return *addButton_; }
  GlassButton& dissolveButton() { return *dissolveButton_; }
  GlassButton& doneButton() { return *doneButton_; }

  // The applications the add menu offers: those standing alone on the grid, in grid order.
  std::vector<AppItem> addCandidates() const;
  std::unique_ptr<QMenu> buildAddMenu();

 protected:
  int layoutPanel(int width) override;

 private:
  void follow(const std::optional<LaunchFolder>& open, const Transaction& transaction);
  void rename(const QString& text);

  TilewellStore& store_;
  std::function<void()> onDismiss_;
  std::function<void(const AppItem&)> onLaunchApp_;
  std::optional<LaunchFolder> folder_;
  GlassTextField* nameField_;
  FolderAppGrid* grid_;
  GlassButton* addButton_;
  GlassButton* dissolveButton_;
  GlassButton* doneButton_;
};

}  // namespace calyxa
