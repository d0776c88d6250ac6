#pragma once
// The tagline chooser: the taglines of "korrin.tag" in a list and an edit
// field; "&Use" gives the editor the field's text as the message's tagline
// (an empty field: no tagline).

#include <QDialog>

#include <string>

#include "reading/taglines.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korrin {

class TQWKMsg;

class TSelTagForm : public QDialog {
  Q_OBJECT
public:
  // `labelText` is what the editor's tagline label shows ("<None>" for none).
  explicit TSelTagForm(const QString& labelText, QWidget* parent = nullptr);

  const TTagChooser& Model() const { return model_; }
  // After "&Use": the label text and the tagline (code page 437, empty for none).
  QString ResultLabel() const;
  std::string ResultTagline() const { return model_.ResultTagline(); }

  // The editor's tagline button: runs the chooser over the label; on
  // "&Use" the label and the record's tagline take the choice. True then.
  static bool Choose(QLabel* tagLabel, TQWKMsg& message, QWidget* parent);

private:
  void Show(bool setField = true);

  TTagChooser model_;
  bool showing_ = false;
  QListWidget* ListBox1 = nullptr;
  QLineEdit* TagEdit = nullptr;
  QPushButton* UseBtn = nullptr;
};

}  // namespace korrin
