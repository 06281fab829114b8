#include "shell/controls.h"

#include <QPainter>
#include <QPalette>
#include <limits>

#include "shell/text_conversion.h"

namespace veltrano {

EditBox::EditBox(const QString& name, QWidget* parent) : QLineEdit(parent) {
  setObjectName(name);
  // QLineEdit cuts at 32767 characters by default; a box here takes whatever it is given.
  setMaxLength(std::numeric_limits<int>::max());
  // Qt drops the selection when the focus moves to another control, but keeps showing it while
  // the whole window is inactive; painting it in the box's own colours then hides it too.
  QPalette colours = palette();
  colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Base));
  colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Text));
  setPalette(colours);
  // textEdited fires for every change the user makes (typing, paste, cut, undo), never for
  // setText, so the given Text stays exactly as long as the user leaves the box alone.
  connect(this, &QLineEdit::textEdited, this, [this] { given_.reset(); });
}

Text GetEditText(const EditBox& box) {
  if (box.given_) return *box.given_;
  return QStringToText(box.text());
}

void SetEditText(EditBox& box, const Text& text) {
  box.given_ = text;
  box.setText(TextToQString(text));
}

Label::Label(const QString& name, const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
  setObjectName(name);
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setAutoFillBackground(true);
}

void Label::paintEvent(QPaintEvent* /*event*/) {
  // QLabel would lay a caption ending in "\r\n" out as two lines and centre the pair, pushing the
  // text up; TextSingleLine keeps it to one centred line. Without a mnemonic flag "&" is literal.
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
}

Button::Button(const QString& name, const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
  setObjectName(name);
  setAutoDefault(false);
  setDefault(false);
}

}  // namespace veltrano
