#pragma once

#include <QLabel>

namespace quelvane {

// A one-line label that never draws past its own width: a text wider than the label is drawn
// cut short with "..." where `mode` says, while text() keeps the whole text.
class ElidedLabel final : public QLabel {
    Q_OBJECT

  public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget* parent = nullptr);

    // The text as drawn at the label's present width.
    QString shownText() const;
    bool elided() const { return shownText() != text(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Qt::TextElideMode mode_;
};

}  // namespace quelvane
