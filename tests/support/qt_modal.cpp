#include "support/qt_modal.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>

#include <memory>

#include "support/test_env.h"

namespace korrin::test {

void AnswerNextModal(std::function<void(QWidget*)> action, int timeoutMs) {
  auto timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, action = std::move(action), timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    } else if (clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal dialog appeared";
    }
  });
  timer->start();
}

bool ClickButton(QWidget* dialog, const QString& textOrName) {
  for (auto* b : dialog->findChildren<QAbstractButton*>()) {
    QString text = b->text();
    text.remove('&');
    QString wanted = textOrName;
    wanted.remove('&');
    if (b->objectName() == textOrName || text.compare(wanted, Qt::CaseInsensitive) == 0) {
      b->click();
      return true;
    }
  }
  return false;
}

QString GrabToPng(QWidget* widget, const QString& name) {
  QString dir = qEnvironmentVariable("KORRIN_SHOTS");
  if (dir.isEmpty()) dir = QString::fromStdString(TestRoot());
  QDir().mkpath(dir);
  QString path = QDir(dir).filePath(name + ".png");
  widget->grab().save(path);
  return path;
}

}  // namespace korrin::test
