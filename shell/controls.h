// The window's three plain control kinds over Qt widgets. Each takes its name as objectName, so
// tests and accessibility tools find it; the window places it with fixed geometry.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <optional>

#include "shell/control_access.h"
#include "text/text.h"

namespace veltrano {

// A single-line, editable edit box holding a Text (see GetEditText and SetEditText). Once the
// user changes it, it holds the GB18030 encoding of what it shows.
class EditBox : public QLineEdit {
  Q_OBJECT

 public:
  EditBox(const QString& name, QWidget* parent);

 private:
  friend Text GetEditText(const EditBox& box);
  friend void SetEditText(EditBox& box, const Text& text);

  // The Text last given to the box, kept until the user edits the box; it may hold bytes that do
  // not decode, which the display can only show as U+FFFD.
  std::optional<Text> given_;
};

// A one-line static label: left-aligned, vertically centred, on a painted background. Its caption
// is kept as given; line breaks in it show as spaces and "&" shows literally.
class Label : public QLabel {
  Q_OBJECT

 public:
  Label(const QString& name, const QString& caption, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A push button with a centred caption that is never a default button, so Enter never clicks it.
class Button : public QPushButton {
  Q_OBJECT

 public:
  Button(const QString& name, const QString& caption, QWidget* parent);
};

}  // namespace veltrano
