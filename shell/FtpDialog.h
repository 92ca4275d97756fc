#pragma once

#include <QMainWindow>

namespace quelvane {

// The FTP window: its controls are laid out but nothing is wired to them yet.
class FtpDialog final : public QMainWindow {
    Q_OBJECT

  public:
    explicit FtpDialog(QWidget* parent = nullptr);
};

}  // namespace quelvane
