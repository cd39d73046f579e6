#pragma once

#include <QLineEdit>
#include <QWidget>
#include <functional>
#include <string>

#include "views/effects/glass_pointer_tracker.h"
#include "views/effects/vantorel_modifier.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {

// A one-line text field on a glass capsule, with a symbol before and after the text. The glass
// turns cyan while the field has focus. Editing (input methods, selection, the clipboard,
// right-to-left text) is the toolkit's line editor, drawn bare inside our capsule; line breaks
// pasted in become spaces, since a name is one line. The field never grows: long text scrolls
// inside it.
class GlassTextField final : public QWidget {
  Q_OBJECT

 public:
  struct Look {
    QString placeholder;
    QFont font;
    std::string leadingSymbol;
    double leadingPoints = 18.0;
    QColor leadingColor = Qt::white;
    std::string trailingSymbol;
    double trailingPoints = 13.0;
    QColor trailingColor = Qt::white;
    double spacing = 10.0;
    double insetX = 18.0;
    double insetY = 8.0;
  };

  GlassTextField(Look look, QWidget* parent = nullptr);

  QString text() const { return edit_->text(); }
  // Shows `text` without reporting an edit.
  void setText(const QString& text);
  QLineEdit& lineEdit() { return *edit_; }
  bool isEditing() const { return edit_->hasFocus(); }

  // Each change the user makes, with the new text.
  std::function<void(const QString&)> onEdited;
  // Return.
  std::function<void(const QString&)> onSubmit;

  QSize sizeHint() const override;
  VantorelModifier glass() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void edited(const QString& text);

  Look look_;
  QLineEdit* edit_;
  GlassPointerTracker pointer_{this};
  VantorelCache cache_;
};

}  // namespace calyxa
