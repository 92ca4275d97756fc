#pragma once

#include <QObject>

class QWidget;

namespace quelvane {

// The windows place their labels, check boxes and radio buttons at fixed pixel sizes made for
// another font: here those sizes are minimums. A placed widget (one no layout manages) grows to
// show its whole text, and the widgets holding it grow to keep it inside, a fixed-size dialog
// included.
class WholeTextFit final : public QObject {
    Q_OBJECT

  public:
    // Fits every placed text widget under `root` once.
    static void apply(QWidget* root);
    // Fits `root` now and again each time it is shown.
    static void follow(QWidget* root);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using QObject::QObject;
};

}  // namespace quelvane
