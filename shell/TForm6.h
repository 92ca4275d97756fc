#pragma once

#include <QMainWindow>

namespace quelvane {

// The FTP window: its controls are laid out but nothing is wired to them yet.
class TForm6 final : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm6(QWidget* parent = nullptr);
};

}  // namespace quelvane
