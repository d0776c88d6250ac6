#include "explorer/qt/qwk_po_combobox.h"

#include <QPainter>
#include <QStyledItemDelegate>

#include "engine/qwk_post_office.h"
#include "platform/qt/qt_platform.h"
#include "widgets/mail_images.h"

namespace korrin {

namespace {
// Draws the post-office picture before a blank and the name; items are as
// high as the letter "W", at least 16 pixels.
class PODelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->icon = MailImage(TMailImage::miPostOffice);
    option->decorationSize = QSize(16, 16);
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->text = QStringLiteral(" ") + option->text;
    if (!(option->state & QStyle::State_Enabled)) option->palette.setColor(QPalette::Text, Qt::gray);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(std::max(16, option.fontMetrics.boundingRect(QLatin1Char('W')).height()) + 4);
    return s;
  }
};
}  // namespace

TQWKPOCombobox::TQWKPOCombobox(QWidget* parent) : QComboBox(parent) {
  setObjectName("QWKPOCombobox1");
  setItemDelegate(new PODelegate(this));
  setIconSize(QSize(16, 16));
  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (filling_) return;
    if (postOffice_) postOffice_->SetItemindex(index);
    emit Click();
  });
}

void TQWKPOCombobox::SetPostOffice(TQWKPostOffice* po) {
  postOffice_ = po;
  Fill();
}

void TQWKPOCombobox::Fill() {
  filling_ = true;
  QString selected = currentIndex() >= 0 ? currentText() : QString();
  blockSignals(true);
  clear();
  if (postOffice_) {
    std::vector<std::string> names;
    postOffice_->ListPostOfficeNames(names);
    for (const auto& n : names) addItem(MailImage(TMailImage::miPostOffice), FromCp437(n));
  }
  setCurrentIndex(selected.isEmpty() ? -1 : findText(selected, Qt::MatchExactly));
  blockSignals(false);
  filling_ = false;
}

}  // namespace korrin
