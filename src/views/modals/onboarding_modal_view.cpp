#include "views/modals/onboarding_modal_view.h"

#include <pwd.h>
#include <unistd.h>

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpression>
#include <cmath>

#include "platform/qt/property_observer.h"
#include "views/controls/glass_tints.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {

namespace {

constexpr int kInset = 30;
constexpr int kSpacing = 22;
constexpr int kBlockWidth = 540;
constexpr int kRowSpacing = 12;
constexpr double kHeaderSymbol = 44;

GlassButton::Look rowButtonLook(const QString& text, bool granted) {
  GlassButton::Look look;
  look.text = text;
  look.font = interfaceFont(11.5, QFont::DemiBold);
  look.insetX = 12;
  look.insetY = 6;
  look.glass = vantorel(GlassShape::capsule(), granted ? greenTint() : cyanTint(),
                        granted ? 0.24 : 0.18, true, 0.8);
  return look;
}

QFont titleFont() {
  return interfaceFont(21, QFont::Bold);
}
QFont subtitleFont() {
  return interfaceFont(12.5, QFont::Medium);
}
const QString kSubtitle = "首次使用请确认以下两项系统权限，以获得完整的全屏启动台体验";

// The login name as a shell word the user can paste; the variable where the name would need
// quoting.
QString loginName() {
  static const QRegularExpression plain("^[A-Za-z0-9_][A-Za-z0-9_.-]*$");
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name) {
    const QString name = QString::fromLocal8Bit(entry->pw_name);
    if (plain.match(name).hasMatch()) return name;
  }
  return "$USER";
}

}  // namespace

// How to be allowed to read the input devices: the command that adds the user to the `input`
// group, and a button that copies it.
class InputGroupHint final : public QWidget {
 public:
  explicit InputGroupHint(QWidget* parent) : QWidget(parent) {
    GlassButton::Look look = rowButtonLook("复制命令", false);
    copy_ = new GlassButton(
        look,
        [this] {
          if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(command());
        },
        this);
    setAccessibleName(text());
  }

  static QString text() {
    return "读取触控板与键盘设备（/dev/input）需要当前用户属于 input 用户组。"
           "请在终端运行下面的命令，然后注销并重新登录：";
  }
  static QString command() { return "sudo usermod -aG input " + loginName(); }

  int heightForWidth(int width) const override {
    const double textWidth = width - 2 * 14;
    const QRectF text =
        QFontMetricsF(interfaceFont(11.5))
            .boundingRect(QRectF(0, 0, textWidth, 1e6), Qt::TextWordWrap, this->text());
    return static_cast<int>(std::ceil(14 + text.height() + 8 + commandHeight() + 14));
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const QSize size = copy_->sizeHint();
    copy_->setGeometry(width() - 14 - size.width(),
                       height() - 14 - static_cast<int>((commandHeight() + size.height()) / 2),
                       size.width(), size.height());
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const VantorelModifier glass = vantorel(
        GlassShape::roundedRectangle(18, GlassShape::CornerStyle::continuous), cyanTint(), 0.1);
    cache_.paintBackground(painter, glass, bounds);
    painter.setFont(interfaceFont(11.5));
    painter.setPen(white(0.8));
    const QRectF textBox(14, 14, width() - 28, height() - 28 - commandHeight() - 8);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text());
    const QRectF commandBox(14, height() - 14 - commandHeight(), width() - 28 - copy_->width() - 10,
                            commandHeight());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawRoundedRect(commandBox, 7, 7);
    QFont mono("DejaVu Sans Mono");
    mono.setPixelSize(12);
    painter.setFont(mono);
    painter.setPen(srgb(0.55, 0.88, 1.0));
    painter.drawText(
        commandBox.adjusted(10, 0, -10, 0), Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetricsF(mono).elidedText(command(), Qt::ElideRight, commandBox.width() - 20));
    cache_.paintBorder(painter, glass, bounds);
  }

 private:
  static double commandHeight() { return 28; }
  GlassButton* copy_;
  VantorelCache cache_;
};

OnboardingModalView::OnboardingModalView(TilewellStore& store, QWidget* parent, FrameDriver& driver)
    : ModalLayer(raisedPanelStyle(0.52, kBlockWidth + 2 * kInset), parent, driver), store_(store) {
  QWidget* content = &panel();
  panel().paintContent = [this](QPainter& painter) { paintHeader(painter); };

  folderRow_ = new GlassRow(content);
  folderRow_->setToolTip(
      "即启动台扫描读取的应用程序目录；点击「去授权」可选择一个应用程序文件夹加入扫描。");
  folderButton_ = new GlassButton(
      rowButtonLook("去授权", false), [this] { store_.authorizeApplicationsFolder(); }, folderRow_);
  folderRow_->addTrailing(folderButton_);

  gestureRow_ = new GlassRow(content);
  gestureRow_->setToolTip(
      "即读取触控板与键盘输入设备（/dev/input）的权限，需要当前用户属于 input 用户组。");
  gestureButton_ = new GlassButton(
      rowButtonLook("开启权限", false),
      [this] {
        store_.requestGesturePermission();
        // The system has no prompt for this here: tell the user what to do.
        if (!store_.hasGrantedGesturePermission) {
          hint_->show();
          relayout();
        }
      },
      gestureRow_);
  GlassButton::Look confirmedLook;
  confirmedLook.text = "我已授权";
  confirmedLook.font = interfaceFont(10, QFont::Medium);
  confirmedLook.textColor = white(0.65);
  confirmedLook.insetX = 2;
  confirmedLook.insetY = 4;
  confirmedButton_ = new GlassButton(
      confirmedLook, [this] { store_.markGesturePermissionConfirmed(); }, gestureRow_);
  gestureRow_->addTrailing(gestureButton_);
  gestureRow_->addTrailing(confirmedButton_);

  hint_ = new InputGroupHint(content);
  hint_->hide();

  loginRow_ = new LaunchAtLoginSwitchRow(store_, content, driver);

  GlassButton::Look enterLook;
  enterLook.text = "进入全屏启动台";
  enterLook.font = interfaceFont(14, QFont::Bold);
  enterLook.symbol = "arrow.right";
  enterLook.symbolPoints = 12.5;
  enterLook.symbolWeight = SymbolWeight::bold;
  enterLook.symbolAfterText = true;
  enterLook.glass = vantorel(GlassShape::roundedRectangle(14, GlassShape::CornerStyle::continuous),
                             cyanTint(), 0.24, true, 1.1);
  enterButton_ = new GlassButton(
      enterLook, [this] { store_.completeOnboarding(); }, content);

  // Clicks on the dimming layer are swallowed: onboarding ends only with its button.
  onDimmingClick = {};

  refreshRows();
  for (Published<bool>* flag :
       {&store_.hasGrantedFolderAccess, &store_.hasGrantedGesturePermission})
    observeProperty(this, *flag, [this](bool, const Transaction&) { refreshRows(); });
  observeProperty(this, store_.allAppsMap,
                  [this](const auto&, const Transaction&) { refreshRows(); });
  observeProperty(this, store_.showOnboarding, [this](bool shown, const Transaction& transaction) {
    if (shown == isPresented()) return;
    if (shown) {
      hint_->hide();
      store_.refreshPermissionStates();
      store_.refreshLaunchAtLoginState();
    }
    setPresented(shown, transaction);
  });
  if (store_.showOnboarding) {
    store_.refreshPermissionStates();
    store_.refreshLaunchAtLoginState();
    setPresented(true, currentTransaction());
  }
}

bool OnboardingModalView::showsInputGroupHint() const {
  return !hint_->isHidden();
}
QString OnboardingModalView::inputGroupCommand() const {
  return InputGroupHint::command();
}

void OnboardingModalView::refreshRows() {
  const bool folder = store_.hasGrantedFolderAccess;
  const bool gesture = store_.hasGrantedGesturePermission;
  const QColor grantedGreen = srgb(0.3, 0.95, 0.62);
  folderRow_->setContent({"folder.badge.gearshape", 21, folder ? grantedGreen : white(0.65),
                          "应用程序目录权限 (/Applications)", StatusBadge::permission(folder),
                          QString("读取 /Applications 文件夹以完整展示所有第三方应用（当前已加载 "
                                  "%1 款应用）。")
                              .arg(store_.totalAppsCount()),
                          4});
  folderButton_->setLook(rowButtonLook(folder ? "已授权" : "去授权", folder));
  gestureRow_->setContent(
      {"hand.pinch.fill", 21, gesture ? grantedGreen : white(0.65),
       "四指收拢手势权限 (辅助功能 / 输入监控)", StatusBadge::permission(gesture),
       "用于全局监听触控板四指收拢与张开手势，随时随地呼出或关闭全屏启动台。", 4});
  gestureButton_->setLook(rowButtonLook(gesture ? "已开启" : "开启权限", gesture));
  confirmedButton_->setVisible(!gesture);
  if (gesture) hint_->hide();
  folderRow_->placeTrailing();
  gestureRow_->placeTrailing();
  if (isVisible()) relayout();
}

double OnboardingModalView::headerHeight(int width) const {
  const QFontMetricsF title(titleFont());
  const QRectF subtitle = QFontMetricsF(subtitleFont())
                              .boundingRect(QRectF(0, 0, width - 2 * kInset, 1e6),
                                            Qt::TextWordWrap | Qt::AlignHCenter, kSubtitle);
  return kHeaderSymbol + 8 + title.height() + 8 + subtitle.height();
}

int OnboardingModalView::layoutPanel(int width) {
  const int inner = width - 2 * kInset;
  double y = kInset + headerHeight(width) + kSpacing;
  const auto place = [&](QWidget* row) {
    const int h = row->heightForWidth(inner);
    row->setGeometry(kInset, static_cast<int>(std::round(y)), inner, h);
    y += h + kRowSpacing;
  };
  place(folderRow_);
  place(gestureRow_);
  if (!hint_->isHidden()) place(hint_);
  place(loginRow_);
  y += kSpacing - kRowSpacing;
  enterButton_->setGeometry(kInset, static_cast<int>(std::round(y)), inner, 42);
  y += 42 + kInset;
  return static_cast<int>(std::ceil(y));
}

void OnboardingModalView::paintHeader(QPainter& painter) {
  const double width = panel().width();
  double y = kInset;
  // The symbol filled with its gradient: drawn as a mask, then the gradient kept inside it.
  const qreal ratio = painter.device()->devicePixelRatioF();
  QImage symbol(
      QSize(static_cast<int>(kHeaderSymbol * ratio), static_cast<int>(kHeaderSymbol * ratio)),
      QImage::Format_ARGB32_Premultiplied);
  symbol.setDevicePixelRatio(ratio);
  symbol.fill(Qt::transparent);
  {
    QPainter mask(&symbol);
    paintSymbol(mask, "sparkles.rectangle.stack.fill", QRectF(2, 2, 40, 40), Qt::white);
    mask.setCompositionMode(QPainter::CompositionMode_SourceIn);
    QLinearGradient gradient(QPointF(2, 2), QPointF(42, 42));
    gradient.setColorAt(0, srgb(0.45, 0.85, 1.0));
    gradient.setColorAt(1, srgb(0.75, 0.55, 1.0));
    mask.fillRect(QRectF(0, 0, kHeaderSymbol, kHeaderSymbol), gradient);
  }
  painter.drawImage(QPointF((width - kHeaderSymbol) / 2, y), symbol);
  y += kHeaderSymbol + 8;

  const QFontMetricsF title(titleFont());
  painter.setFont(titleFont());
  painter.setPen(Qt::white);
  painter.drawText(QRectF(kInset, y, width - 2 * kInset, title.height()), Qt::AlignCenter,
                   "欢迎使用 Calyxa Grid");
  y += title.height() + 8;
  painter.setFont(subtitleFont());
  painter.setPen(white(0.68));
  painter.drawText(QRectF(kInset, y, width - 2 * kInset, 200),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, kSubtitle);
}

}  // namespace calyxa
