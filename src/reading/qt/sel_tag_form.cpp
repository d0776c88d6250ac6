#include "reading/qt/sel_tag_form.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/qwk_msg.h"
#include "explorer/qt/help_window.h"
#include "platform/qt/qt_platform.h"

namespace korrin {

TSelTagForm::TSelTagForm(const QString& labelText, QWidget* parent) : QDialog(parent) {
  setObjectName("SelTagForm");
  setWindowTitle("Select Tagline");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  SetHelpContext(this, 8010);
  auto* layout = new QVBoxLayout(this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox1->setMinimumSize(380, 180);
  layout->addWidget(ListBox1, 1);
  auto* row = new QHBoxLayout;
  auto* caption = new QLabel("Tagline :", this);
  caption->setObjectName("Label1");
  TagEdit = new QLineEdit(this);
  TagEdit->setObjectName("TagEdit");
  caption->setBuddy(TagEdit);
  row->addWidget(caption);
  row->addWidget(TagEdit, 1);
  layout->addLayout(row);

  auto* buttons = new QDialogButtonBox(this);
  UseBtn = buttons->addButton("&Use", QDialogButtonBox::AcceptRole);
  UseBtn->setObjectName("UseBtn");
  UseBtn->setDefault(true);
  auto* cancel = buttons->addButton("&Cancel", QDialogButtonBox::RejectRole);
  cancel->setObjectName("CancelBtn");
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  model_.Load(ToCp437(labelText));
  for (const auto& t : model_.Items()) ListBox1->addItem(FromCp437(t));
  Show();

  connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    model_.Click(static_cast<size_t>(ListBox1->row(item)));
    Show();
  });
  connect(TagEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    model_.SetEditText(ToCp437(text));
    Show(false);  // the field keeps what was typed
  });
}

void TSelTagForm::Show(bool setField) {
  if (showing_) return;
  showing_ = true;
  QString text = FromCp437(model_.EditText());
  if (setField && TagEdit->text() != text) TagEdit->setText(text);
  auto sel = model_.Selection();
  if (sel) {
    ListBox1->setCurrentRow(static_cast<int>(*sel));
    ListBox1->scrollToItem(ListBox1->item(static_cast<int>(*sel)));
  } else {
    ListBox1->clearSelection();
  }
  UseBtn->setEnabled(model_.UseEnabled());
  showing_ = false;
}

QString TSelTagForm::ResultLabel() const { return FromCp437(model_.ResultLabel()); }

bool TSelTagForm::Choose(QLabel* tagLabel, TQWKMsg& message, QWidget* parent) {
  TSelTagForm form(tagLabel->text(), parent);
  if (form.exec() != QDialog::Accepted) return false;
  tagLabel->setText(form.ResultLabel());
  message.SetTagline(form.ResultTagline());
  return true;
}

}  // namespace korrin
