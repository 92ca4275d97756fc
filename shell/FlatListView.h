#pragma once

#include <QTableView>

namespace quelvane {

// The content list's view: rows of cells under column captions, without grid or row captions,
// selected as whole rows, every row as high as the font needs. A table view rather than a tree
// view: it keeps nothing per row, so appending rows to a member of millions costs the window
// nothing in proportion to the rows already listed.
class FlatListView final : public QTableView {
    Q_OBJECT

  public:
    explicit FlatListView(QWidget* parent = nullptr);

    // The header with the column captions.
    QHeaderView* header() const { return horizontalHeader(); }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void followFont();
};

}  // namespace quelvane
