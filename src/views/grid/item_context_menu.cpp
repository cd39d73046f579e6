#include "views/grid/item_context_menu.h"

#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <string>

#include "catalogue/tilewell_store.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {
namespace {

QString text(const std::string& s) {
  return QString::fromStdString(s);
}

QIcon symbolIcon(std::string_view name) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  paintSymbol(painter, name, QRectF(2, 2, 28, 28), QColor(60, 60, 60), SymbolWeight::medium);
  painter.end();
  return QIcon(pixmap);
}

template <class Action>
void addEntry(QMenu& menu, const QString& label, std::string_view symbol, Action action) {
  QAction* entry = menu.addAction(symbol.empty() ? QIcon() : symbolIcon(symbol), label);
  QObject::connect(entry, &QAction::triggered, &menu, [action = std::move(action)] { action(); });
}

}  // namespace

void fillItemContextMenu(QMenu& menu, const LaunchItem& item, TilewellStore& store,
                         const ItemMenuActions& actions) {
  TilewellStore* s = &store;
  if (const AppItem* app = item.asApp()) {
    const AppItem a = *app;
    addEntry(menu, text("打开「" + a.name + "」"), "arrow.up.forward.app", [a, actions] {
      if (actions.launchApp) actions.launchApp(a);
    });
    addEntry(menu, QStringLiteral("以此应用新建同类文件夹..."), "folder.badge.plus",
             [s, a] { s->createNewFolderWithApp(a, "同类应用"); });
    std::vector<LaunchFolder> folders;
    for (const LaunchItem& slot : store.items.get()) {
      if (const LaunchFolder* folder = slot.asFolder()) folders.push_back(*folder);
    }
    if (!folders.empty()) {
      QMenu* submenu = menu.addMenu(QStringLiteral("移入已有文件夹"));
      for (const LaunchFolder& folder : folders) {
        addEntry(*submenu, text("移入「" + folder.name + "」"), {},
                 [s, id = folder.id, a] { s->addAppToFolder(id, a); });
      }
    }
    addEntry(menu, QStringLiteral("在访达 (Finder) 中显示"), "folder", [a, actions] {
      if (actions.revealInFileViewer) actions.revealInFileViewer(a);
    });
  } else if (const LaunchFolder* folder = item.asFolder()) {
    const LaunchFolder f = *folder;
    addEntry(menu, QStringLiteral("打开文件夹 / 重命名 / 添加应用"), "folder.fill", [f, actions] {
      if (actions.openFolder) actions.openFolder(f);
    });
    addEntry(menu, QStringLiteral("解散文件夹 (还原内部应用)"), "folder.badge.minus",
             [s, id = f.id] { s->dissolveFolder(id); });
  }

  menu.addSeparator();
  const bool editing = store.isEditingPositions;
  addEntry(menu,
           editing ? QStringLiteral("完成位置编辑") : QStringLiteral("编辑位置 (抖动排序模式)"),
           "square.grid.3x3.topleft.filled", [s] {
             withAnimation(Animation::spring(0.26, 1.0),
                           [s] { s->isEditingPositions = !s->isEditingPositions.get(); });
           });
  const int pages = store.pageCount();
  if (pages > 1) {
    menu.addSeparator();
    for (int page = 0; page < pages; ++page) {
      addEntry(menu, QStringLiteral("移动到第 %1 页").arg(page + 1), {},
               [s, item, page] { s->moveItemToPage(item, page); });
    }
  }
}

}  // namespace calyxa
