#pragma once
// The toolbar's post-office selector: the post-office names, each drawn
// with the post-office picture.

#include <QComboBox>

namespace korrin {

class TQWKPostOffice;

class TQWKPOCombobox : public QComboBox {
  Q_OBJECT
public:
  explicit TQWKPOCombobox(QWidget* parent = nullptr);

  TQWKPostOffice* PostOffice() const { return postOffice_; }
  void SetPostOffice(TQWKPostOffice* po);
  // Refills the names, keeping the selected name when it is still listed.
  void Fill();

signals:
  // The user chose an item; the post-office list's Itemindex already follows it.
  void Click();

private:
  TQWKPostOffice* postOffice_ = nullptr;
  bool filling_ = false;
};

}  // namespace korrin
