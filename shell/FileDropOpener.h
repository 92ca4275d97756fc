#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace quelvane {

// Lets files be dropped on a window: a drag that carries local files is accepted, and the
// first file dropped is opened through `open`.
class FileDropOpener final : public QObject {
    Q_OBJECT

  public:
    FileDropOpener(QWidget* window, std::function<void(const QString&)> open);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void(const QString&)> open_;
};

}  // namespace quelvane
