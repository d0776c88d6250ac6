#pragma once
// One reader per program folder. A start first offers its files to a
// running reader of the same folder over a local socket; the reader that
// runs listens and hands what it receives on.

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QLocalServer;

namespace korrin {

class TSingleInstance : public QObject {
  Q_OBJECT
public:
  enum class TStart { tsFirst, tsHandedOver, tsNoAnswer };

  // `name`: InstanceName of the program folder.
  explicit TSingleInstance(const QString& name, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // Hands the paths to a running reader (none: it is only brought
  // forward), or, when none runs, starts listening. tsNoAnswer: a reader
  // took the connection but did not answer in time.
  TStart Start(const std::vector<std::string>& paths, int timeoutMs = 10000);

  // Called with the paths each later start hands over; what came before
  // it was set is handed on at once.
  using TOnFiles = std::function<void(const std::vector<std::string>&)>;
  void SetOnFiles(TOnFiles onFiles);

private:
  TOnFiles onFiles_;
  std::vector<std::vector<std::string>> pending_;
  void Accept();
  QString name_;
  QLocalServer* server_ = nullptr;
};

}  // namespace korrin
