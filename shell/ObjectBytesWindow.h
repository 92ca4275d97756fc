#pragma once

#include <QDialog>

#include <memory>

#include "savefile/Catalog.h"
#include "views/ViewSession.h"

class QLabel;
class QListView;

namespace quelvane {

class HexDumpModel;
class ObjectBytesPages;

// A window of its own showing one object's stored data as a hex dump, paged from the file as
// it is scrolled; one whose data is not in the save says why.
class ObjectBytesWindow final : public QDialog {
    Q_OBJECT

  public:
    ObjectBytesWindow(QWidget* parent, ViewSession& session, const SavedObject& object, int codePage);
    ~ObjectBytesWindow() override;

    QLabel* heading() const { return heading_; }
    QListView* lines() const { return lines_; }
    const ObjectBytesPages& pages() const { return *pages_; }

  private:
    std::unique_ptr<ObjectBytesPages> pages_;
    HexDumpModel* model_ = nullptr;
    QLabel* heading_;
    QListView* lines_;
};

}  // namespace quelvane
